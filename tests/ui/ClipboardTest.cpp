// The clipboard writer on the real clipboard: what it leaves there, and what
// it does when the clipboard is held or memory is short.
#include "tests/ui/ListTestDialog.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/ClipboardText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

using namespace ListTest;

namespace {

std::string PayloadOf(const wchar_t* fragment)
{
    return HtmlClipboardPayload(Utf8FromWide(fragment));
}

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

// A writer that runs out of memory at the nth block it asks for.
class ShortOfMemory : public CClipboard
{
public:
    explicit ShortOfMemory(int failingBlock) : m_failingBlock(failingBlock) {}
    int blocks = 0;

protected:
    HGLOBAL AllocateBlock(SIZE_T bytes) override
    {
        return ++blocks == m_failingBlock ? nullptr : CClipboard::AllocateBlock(bytes);
    }

private:
    int m_failingBlock;
};

bool ClipboardIsFree()
{
    OpenedClipboard clipboard;
    return clipboard.IsOpen();
}

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
        const UINT other = RegisterClipboardFormatW(L"Quillon Test Format");
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
        ASSERT_NE(SetClipboardData(other, block), nullptr);
    }
    const wchar_t* fragment = L"<table><tr><td>夏</td></tr></table>\r\n";
    ASSERT_TRUE(CClipboard().SetTextAndHtml(L"Title\r\n夏", fragment));

    const std::vector<UINT> formats = ClipboardFormats();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_NE(std::find(formats.begin(), formats.end(), UINT(CF_UNICODETEXT)), formats.end());
    EXPECT_NE(std::find(formats.begin(), formats.end(), CClipboard::HtmlFormat()), formats.end());
    EXPECT_EQ(ClipboardText(), L"Title\r\n夏");

    // The block is the payload and four zero bytes (the platform may round
    // the block's size up).
    const std::string expected = PayloadOf(fragment);
    const std::string block = ClipboardBytes(CClipboard::HtmlFormat());
    ASSERT_GE(block.size(), expected.size() + 4);
    EXPECT_EQ(block.substr(0, expected.size()), expected);
    EXPECT_EQ(block.substr(expected.size(), 4), std::string(4, '\0'));
    EXPECT_TRUE(ClipboardIsFree()) << "closed again";
}

TEST(Clipboard, SetTextPutsOnlyTheTextEvenAnEmptyOne)
{
    ASSERT_TRUE(CClipboard().SetTextAndHtml(L"x", L"<b>x</b>"));
    ASSERT_TRUE(CClipboard().SetText(L""));
    EXPECT_EQ(ClipboardText(), L"");
    EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{CF_UNICODETEXT});

    ASSERT_TRUE(CClipboard().SetText(L"a, b\r\nc, d"));
    EXPECT_EQ(ClipboardText(), L"a, b\r\nc, d");
}

TEST(Clipboard, AbsentTextsChangeNothing)
{
    ASSERT_TRUE(PutSentinel(L"sentinel"));
    EXPECT_FALSE(CClipboard().SetText(nullptr));
    EXPECT_FALSE(CClipboard().SetTextAndHtml(L"text", nullptr));
    EXPECT_FALSE(CClipboard().SetTextAndHtml(nullptr, L"<b>"));
    EXPECT_EQ(ClipboardText(), L"sentinel");
}

TEST(Clipboard, AClipboardHeldElsewhereGivesFalseAfterTheRetriesAndStaysAsItWas)
{
    ASSERT_TRUE(PutSentinel(L"sentinel"));
    {
        ClipboardHolder holder(1500);
        ASSERT_TRUE(holder.Opened());
        const DWORD start = GetTickCount();
        EXPECT_FALSE(CClipboard().SetTextAndHtml(L"new", L"<b>new</b>"));
        const DWORD waited = GetTickCount() - start;
        EXPECT_GE(waited, (CClipboard::kOpenAttempts - 1) * CClipboard::kOpenRetryDelayMs - 20) << "tried again";
        EXPECT_LT(waited, 1000u) << "gave up soon";
        EXPECT_FALSE(CClipboard().SetText(L"new"));
    }
    EXPECT_EQ(ClipboardText(), L"sentinel");
}

TEST(Clipboard, AClipboardHeldForAMomentIsWaitedFor)
{
    ASSERT_TRUE(PutSentinel(L"sentinel"));
    {
        ClipboardHolder holder(80);
        ASSERT_TRUE(holder.Opened());
        EXPECT_TRUE(CClipboard().SetText(L"after the wait"));
    }
    EXPECT_EQ(ClipboardText(), L"after the wait");
}

TEST(Clipboard, ShortOfMemoryGivesFalseClosesTheClipboardAndKeepsItsContent)
{
    for (int failing : {1, 2}) {
        ASSERT_TRUE(PutSentinel(L"sentinel"));
        ShortOfMemory writer(failing);
        EXPECT_FALSE(writer.SetTextAndHtml(L"text", L"<b>text</b>")) << failing;
        EXPECT_EQ(writer.blocks, failing);
        EXPECT_TRUE(ClipboardIsFree()) << failing;
        EXPECT_EQ(ClipboardText(), L"sentinel") << failing;
    }
    ASSERT_TRUE(PutSentinel(L"sentinel"));
    ShortOfMemory writer(1);
    EXPECT_FALSE(writer.SetText(L"text"));
    EXPECT_TRUE(ClipboardIsFree());
    EXPECT_EQ(ClipboardText(), L"sentinel");
}
