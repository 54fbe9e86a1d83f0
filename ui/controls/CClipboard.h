#pragma once
#include <windows.h>

// Puts text on the clipboard, alone as Unicode text or together with an HTML
// fragment under "HTML Format". A short-lived object: make one, call one
// operation, drop it. Both operations return false and leave the clipboard
// as it was when it cannot be opened or a memory block cannot be had.
class CClipboard
{
public:
    // Tries at opening a clipboard that another program holds, and the pause
    // between them: clipboard managers hold it for moments after each change.
    static constexpr int kOpenAttempts = 5;
    static constexpr DWORD kOpenRetryDelayMs = 50;

    explicit CClipboard(HWND owner) : m_owner(owner) {}
    virtual ~CClipboard() = default;

    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;

    // The text as Unicode text, with the object's window as clipboard owner.
    // Null text: false, nothing done.
    bool SetText(const wchar_t* text);

    // The text as Unicode text and the fragment as "HTML Format", with the
    // object's window as clipboard owner (without one, Windows lets the
    // clipboard be emptied but not filled). A fragment too large for the
    // format's offsets: the text alone. Null text or fragment: false,
    // nothing done.
    bool SetTextAndHtml(const wchar_t* text, const wchar_t* htmlFragment);

    // The id of "HTML Format", registered on the first use in the run.
    static UINT HtmlFormat();

protected:
    // A movable, zero-filled block; null when memory is short. A test seam.
    virtual HGLOBAL AllocateBlock(SIZE_T bytes);

private:
    bool Open(HWND owner);
    HGLOBAL BlockWith(const void* data, SIZE_T bytes, SIZE_T blockBytes);

    HWND m_owner;
};

// Tells the user that a copy put nothing on the clipboard, in a box owned
// by the window that `window` belongs to.
void ReportCopyFailure(HWND window);
