#include "ui/controls/CClipboard.h"

#include "base/ScopedHandles.h"
#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/controls/ClipboardText.h"

#include <cstring>
#include <new>
#include <string>

namespace {

// Closes the clipboard on every way out of an operation.
class ClipboardSession
{
public:
    ClipboardSession() = default;
    ~ClipboardSession()
    {
        if (m_open)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    void Opened() { m_open = true; }

private:
    bool m_open = false;
};

} // namespace

UINT CClipboard::HtmlFormat()
{
    static const UINT format = RegisterClipboardFormatW(L"HTML Format");
    return format;
}

HGLOBAL CClipboard::AllocateBlock(SIZE_T bytes)
{
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
}

HGLOBAL CClipboard::BlockWith(const void* data, SIZE_T bytes, SIZE_T blockBytes)
{
    UniqueGlobal block(AllocateBlock(blockBytes));
    if (!block)
        return nullptr;
    void* target = GlobalLock(block.get());
    if (!target)
        return nullptr;
    std::memcpy(target, data, bytes);
    GlobalUnlock(block.get());
    return block.release();
}

bool CClipboard::Open(HWND owner)
{
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt > 0)
            Sleep(kOpenRetryDelayMs);
        if (OpenClipboard(owner))
            return true;
    }
    return false;
}

bool CClipboard::SetText(const wchar_t* text)
{
    if (!text)
        return false;
    const SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    ClipboardSession session;
    if (!Open(m_owner))
        return false;
    session.Opened();
    UniqueGlobal block(BlockWith(text, bytes, bytes));
    if (!block)
        return false;
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block.get()))
        return false;
    block.release(); // the clipboard's now
    return true;
}

bool CClipboard::SetTextAndHtml(const wchar_t* text, const wchar_t* htmlFragment)
{
    if (!text || !htmlFragment)
        return false;
    std::string payload;
    try {
        payload = HtmlClipboardPayload(Utf8FromWide(htmlFragment));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const UINT htmlFormat = HtmlFormat();
    const SIZE_T textBytes = (wcslen(text) + 1) * sizeof(wchar_t);

    ClipboardSession session;
    if (!Open(m_owner))
        return false;
    session.Opened();
    // Both blocks before emptying, so that a shortage of memory leaves the
    // clipboard's earlier content in place.
    UniqueGlobal textBlock(BlockWith(text, textBytes, textBytes));
    if (!textBlock)
        return false;
    // Four zero bytes end the block: readers that take it for a C string
    // stop there.
    UniqueGlobal htmlBlock(payload.empty() ? nullptr : BlockWith(payload.data(), payload.size(), payload.size() + 4));
    if (!htmlBlock && !payload.empty())
        return false;
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, textBlock.get()))
        return false;
    textBlock.release();
    if (payload.empty())
        return true; // too large for the HTML block: the text alone
    if (!htmlFormat || !SetClipboardData(htmlFormat, htmlBlock.get()))
        return false;
    htmlBlock.release();
    return true;
}

void ReportCopyFailure(HWND window)
{
    HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
    MessageBoxW(owner, ResourceString(IDS_COPY_FAILED).c_str(), ResourceString(IDS_CAPTION_COPY).c_str(),
                MB_OK | MB_ICONWARNING);
}
