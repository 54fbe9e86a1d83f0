#pragma once
#include <string>

#include "app/SettingsPath.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"
#include "ui/controls/CResizeRule.h"

// The web addresses of the chosen albums: shows the plain text and copies it
// together with the HTML. What is copied is the text as built, not what the
// box holds after the user typed in it. Always ends with 2; its placement
// lives in section UrlDlg. It has no window icon of its own.
class CUrlDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    static constexpr wchar_t kSection[] = L"UrlDlg";

    // Both texts stay the caller's and must outlive the dialog.
    CUrlDlg(const std::wstring& text, const std::wstring& html, SettingsLocation settings = {});

    // Puts both texts on the clipboard; false when the text is empty or the
    // clipboard refused.
    bool Copy() const;
    // How long the note that Copy copied stays (milliseconds).
    static constexpr UINT kCopiedNoteMs = 3000;
    static constexpr UINT_PTR kCopiedTimer = 1;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    void Close();
    void CopyAndSay();

    const std::wstring& m_text;
    const std::wstring& m_html;
    SettingsLocation m_settings;
    CResizeRule m_resize;
};
