// The clipboard writer on the real clipboard: what it leaves there, and what
// it does when the clipboard is held or memory is short.
#include "tests/ui/controls/ListTestDialog.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/ClipboardText.h"

#include <algorithm>
#include <atomic>
#include <thread>

using namespace ListTest;

namespace {

// Another thread that opens the clipboard on a window of its own and keeps
// it open for a while, as a clipboard manager does.
class ClipboardHolder
{
public:
    explicit ClipboardHolder(DWORD holdMs)
    {
        m_thread = std::thread([this, holdMs] {
            HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            m_opened = OpenClipboard(window) != FALSE;
            m_ready = true;
            Sleep(holdMs);
            if (m_opened)
                CloseClipboard();
            DestroyWindow(window);
        });
        while (!m_ready)
            Sleep(1);
    }
    ~ClipboardHolder() { m_thread.join(); }
    bool Opened() const { return m_opened; }

private:
    std::thread m_thread;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_opened{false};
};

// The window the writes belong to: without an owner, Windows lets the
// clipboard be emptied but not filled.
HWND Owner()
{
    static const HWND window =
        CreateWindowExW(0, L"STATIC", L"clipboard owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    return window;
}

// A writer that runs out of memory at the nth block it asks for.
class ShortOfMemory : public CClipboard
{
public:
    explicit ShortOfMemory(int failingBlock) : CClipboard(Owner()), m_failingBlock(failingBlock) {}
    int blocks = 0;

protected:
    HGLOBAL AllocateBlock(SIZE_T bytes) override
    {
        return ++blocks == m_failingBlock ? nullptr : CClipboard::AllocateBlock(bytes);
    }

private:
    int m_failingBlock;
};

} // namespace

TEST(Clipboard, TheHtmlFormatIsRegisteredOnceUnderItsName)
{
    const UINT format = CClipboard::HtmlFormat();
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(CClipboard::HtmlFormat(), format);
    EXPECT_EQ(RegisterClipboardFormatW(L"HTML Format"), format);
}

TEST(Clipboard, TextAndHtmlReplaceEverythingWithExactlyTwoFormats)
{
    // Earlier content in a format of its own: it must be gone afterwards.
    {
        OpenedClipboard clipboard;
        ASSERT_TRUE(clipboard.IsOpen());
        EmptyClipboard();
        ASSERT_NE(SetClipboardData(RegisterClipboardFormatW(L"Quillon Test Format"), GlobalAlloc(GMEM_MOVEABLE, 4)),
                  nullptr);
    }
    const wchar_t* fragment = L"<table><tr><td>夏</td></tr></table>\r\n";
    ASSERT_TRUE(CClipboard(Owner()).SetTextAndHtml(L"Title\r\n夏", fragment));

    std::vector<UINT> formats = ClipboardFormats();
    std::sort(formats.begin(), formats.end());
    EXPECT_EQ(formats, (std::vector<UINT>{CF_UNICODETEXT, CClipboard::HtmlFormat()}));
    EXPECT_EQ(ClipboardText(), L"Title\r\n夏");
    // The payload and four zero bytes (the platform may round the block's
    // size up).
    const std::string expected = HtmlClipboardPayload(Utf8FromWide(fragment)) + std::string(4, '\0');
    EXPECT_EQ(ClipboardBytes(CClipboard::HtmlFormat()).substr(0, expected.size()), expected);
    EXPECT_TRUE(ClipboardIsFree()) << "closed again";
    EXPECT_EQ(GetClipboardOwner(), Owner());
}

// Offsets of eight digits cannot point past 99,999,999 bytes: a table that
// large goes as text alone rather than as a block that lies about itself.
TEST(Clipboard, AnHtmlBlockTooLargeForItsOffsetsLeavesTheTextAlone)
{
    const std::wstring huge(kMostHtmlPayloadBytes / 3 + 1, L'\u590f'); // three UTF-8 bytes each
    ASSERT_TRUE(CClipboard(Owner()).SetTextAndHtml(L"the text", huge.c_str()));
    EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{CF_UNICODETEXT});
    EXPECT_EQ(ClipboardText(), L"the text");
}

TEST(Clipboard, SetTextPutsOnlyTheTextEvenAnEmptyOne)
{
    ASSERT_TRUE(CClipboard(Owner()).SetTextAndHtml(L"x", L"<b>x</b>"));
    for (const wchar_t* text : {L"", L"a, b\r\nc, d"}) {
        ASSERT_TRUE(CClipboard(Owner()).SetText(text));
        EXPECT_EQ(ClipboardText(), text);
        EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{CF_UNICODETEXT});
    }
}

TEST(Clipboard, AbsentTextsChangeNothing)
{
    ASSERT_TRUE(PutSentinel());
    EXPECT_FALSE(CClipboard(Owner()).SetText(nullptr));
    EXPECT_FALSE(CClipboard(Owner()).SetTextAndHtml(L"text", nullptr));
    EXPECT_FALSE(CClipboard(Owner()).SetTextAndHtml(nullptr, L"<b>"));
    EXPECT_EQ(ClipboardText(), kSentinel);
}

// Held for a moment it is waited for; held on, the writer gives up soon
// after its retries with the clipboard as it was.
TEST(Clipboard, AHeldClipboardIsWaitedForAMomentOnly)
{
    for (auto [hold, html] : {std::pair{80, false}, {80, true}, {3000, true}}) {
        SCOPED_TRACE(testing::Message() << hold << (html ? " ms, text and HTML" : " ms, text"));
        const bool waitedOut = hold < 200;
        ASSERT_TRUE(PutSentinel());
        {
            ClipboardHolder holder(hold);
            ASSERT_TRUE(holder.Opened());
            const DWORD start = GetTickCount();
            EXPECT_EQ(html ? CClipboard(Owner()).SetTextAndHtml(L"new", L"<b>new</b>") : CClipboard(Owner()).SetText(L"new"),
                      waitedOut);
            const DWORD waited = GetTickCount() - start;
            if (!waitedOut) {
                EXPECT_GE(waited, (CClipboard::kOpenAttempts - 1) * CClipboard::kOpenRetryDelayMs - 20) << "tried again";
                // Not waited out: it gave up while the holder still held on.
                EXPECT_NE(GetOpenClipboardWindow(), nullptr) << "gave up soon";
                EXPECT_FALSE(CClipboard(Owner()).SetText(L"new"));
            }
        }
        EXPECT_EQ(ClipboardText(), waitedOut ? L"new" : kSentinel);
    }
}

TEST(Clipboard, ShortOfMemoryGivesFalseClosesTheClipboardAndKeepsItsContent)
{
    for (auto [failing, html] : {std::pair{1, true}, {2, true}, {1, false}}) {
        SCOPED_TRACE(testing::Message() << "block " << failing << (html ? " of text and HTML" : " of text"));
        ASSERT_TRUE(PutSentinel());
        ShortOfMemory writer(failing);
        EXPECT_FALSE(html ? writer.SetTextAndHtml(L"text", L"<b>text</b>") : writer.SetText(L"text"));
        EXPECT_EQ(writer.blocks, failing);
        EXPECT_TRUE(ClipboardIsFree());
        EXPECT_EQ(ClipboardText(), kSentinel);
    }
}
