#include "ui/albums/CUrlDlg.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/controls/CClipboard.h"

#include <iterator>

namespace {

const ResizeItem kResizeItems[] = {
    {IDC_URL_TEXT, ResizeSizeX | ResizeSizeY},
    {IDC_URL_COPIED, ResizeSizeX | ResizeMoveY},
    {IDC_URL_COPY, ResizeMoveX | ResizeMoveY},
    {IDCANCEL, ResizeMoveX | ResizeMoveY},
};

} // namespace

CUrlDlg::CUrlDlg(const std::wstring& text, const std::wstring& html, SettingsLocation settings)
    : CDialogBase(IDD_URL_LIST), m_text(text), m_html(html), m_settings(std::move(settings))
{
}

bool CUrlDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    SetItemText(IDC_URL_TEXT, m_text);
    m_resize.Init(Handle(), kResizeItems, std::size(kResizeItems));
    RestorePlacement(Handle(), m_settings.Path(), kSection);
    // The copy button, not the box: the default focus would select the
    // whole text, and Enter then copies.
    SetFocus(Item(IDC_URL_COPY));
    return false;
}

bool CUrlDlg::Copy() const
{
    if (m_text.empty())
        return false;
    return CClipboard(Handle()).SetTextAndHtml(m_text.c_str(), m_html.c_str());
}

void CUrlDlg::CopyAndSay()
{
    if (m_text.empty())
        return;
    if (!Copy()) {
        ReportCopyFailure(Handle());
        return;
    }
    // A copy changes nothing on the screen: the note says it happened.
    SetItemText(IDC_URL_COPIED, ResourceString(IDS_COPIED));
    SetTimer(Handle(), kCopiedTimer, kCopiedNoteMs, nullptr);
}

void CUrlDlg::Close()
{
    KillTimer(Handle(), kCopiedTimer);
    SavePlacement(Handle(), m_settings.Path(), kSection);
    EndDialog(IDCANCEL);
}

bool CUrlDlg::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_URL_COPY:
        if (code == BN_CLICKED)
            CopyAndSay();
        return true;
    case IDCANCEL:
        Close();
        return true;
    case IDOK:
        // Enter in the box: nothing to accept.
        return true;
    default:
        return false;
    }
}

bool CUrlDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_resize.HandleMessage(message, wParam, lParam);
    if (message == WM_TIMER && wParam == kCopiedTimer) {
        KillTimer(Handle(), kCopiedTimer);
        SetItemText(IDC_URL_COPIED, L"");
        return true;
    }
    return false;
}
