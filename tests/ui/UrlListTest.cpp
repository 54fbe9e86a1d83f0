// The URL command and dialog from the real language modules: the entries in
// the album list's order, and what Copy puts on the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/albums/CUrlDlg.h"
#include "base/TextFormat.h"
#include "ui/albums/UrlListCommand.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/ClipboardText.h"

using namespace DialogHarness;

namespace {

class ScopedClipboard
{
public:
    ScopedClipboard()
    {
        for (int i = 0; i < 20 && !m_open; ++i) {
            m_open = OpenClipboard(nullptr) != FALSE;
            if (!m_open)
                Sleep(20);
        }
    }
    ~ScopedClipboard()
    {
        if (m_open)
            CloseClipboard();
    }
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

struct ClipboardContent
{
    std::wstring text;
    std::string html;
    bool operator==(const ClipboardContent&) const = default;
};

ClipboardContent ReadClipboard()
{
    ClipboardContent content;
    ScopedClipboard clipboard;
    if (!clipboard.IsOpen())
        return content;
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
        content.text = static_cast<const wchar_t*>(GlobalLock(text));
        GlobalUnlock(text);
    }
    if (HANDLE html = GetClipboardData(CClipboard::HtmlFormat())) {
        content.html = static_cast<const char*>(GlobalLock(html));
        GlobalUnlock(html);
    }
    return content;
}

void PutOnClipboard(const wchar_t* text)
{
    ScopedClipboard clipboard;
    ASSERT_TRUE(clipboard.IsOpen());
    EmptyClipboard();
    const SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block))
        GlobalFree(block);
}

std::vector<AlbumEntry> ThreeAlbums()
{
    std::vector<AlbumEntry> albums(4);
    albums[0].title = L"Beach";
    albums[0].numPhotos = 9;
    albums[0].alternateLink = L"http://localhost/friend/Beach";
    albums[1].title = L"<b>Paris</b> & \"Rome\"";
    albums[1].numPhotos = 28;
    albums[1].alternateLink = L"http://localhost/demo/ParisRome?x=1&y=2";
    albums[2].title = L"No page";
    albums[2].numPhotos = 0;
    albums[3].title = L"Not selected";
    albums[3].alternateLink = L"http://localhost/demo/NotSelected";
    return albums;
}

class UrlList : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override { ini = TestEnv::ScratchFolder("url-list") + L"\\quillon.ini"; }
    std::wstring ini;
};

} // namespace

TEST_P(UrlList, ShowsOneEntryPerSelectedAlbumInListOrderAndCopiesTheBuiltText)
{
    ScopedLanguage language(GetParam());
    const std::vector<AlbumEntry> albums = ThreeAlbums();
    // The album list sorted so that its selected rows show 2, 0, 1 from the top.
    const std::vector<size_t> shown = {2, 0, 1};
    const std::wstring textFormat = language.String(IDS_URL_ENTRY_TEXT);
    const std::wstring htmlFormat = language.String(IDS_URL_ENTRY_HTML);
    std::wstring expectedText, expectedHtml;
    for (size_t i : shown) {
        expectedText += FormatText(textFormat, {albums[i].title, albums[i].numPhotos, albums[i].alternateLink});
        expectedHtml += FormatText(htmlFormat, {HtmlEscape(albums[i].title), albums[i].numPhotos,
                                                HtmlEscape(albums[i].alternateLink),
                                                HtmlEscape(albums[i].alternateLink)});
    }

    std::wstring shownText;
    ClipboardContent first, second;
    bool hasIcon = true;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        shownText = DialogHarness::WindowText(GetDlgItem(dialog, IDC_URL_TEXT));
        hasIcon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0;
        // What the user types into the box is not what is copied.
        SetDlgItemTextW(dialog, IDC_URL_TEXT, L"typed over");
        SendMessageW(GetDlgItem(dialog, IDC_URL_COPY), BM_CLICK, 0, 0);
        first = ReadClipboard();
        PutOnClipboard(L"something else");
        SendMessageW(GetDlgItem(dialog, IDC_URL_COPY), BM_CLICK, 0, 0);
        second = ReadClipboard();
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    RunUrlListCommand(nullptr, albums, shown, SettingsLocation::File(ini));
    EXPECT_TRUE(driver.Unexpected().empty());

    EXPECT_EQ(shownText, expectedText);
    EXPECT_LT(shownText.find(L"No page"), shownText.find(L"Beach"));
    EXPECT_LT(shownText.find(L"Beach"), shownText.find(L"Paris"));
    EXPECT_EQ(shownText.find(L"Not selected"), std::wstring::npos);
    EXPECT_NE(shownText.find(L"<b>Paris</b> & \"Rome\""), std::wstring::npos) << "plain text as it is";

    EXPECT_EQ(first.text, expectedText);
    EXPECT_EQ(first, second) << "copying again gives the same content";
    const std::string fragment = Utf8FromWide(expectedHtml);
    EXPECT_NE(first.html.find(fragment), std::string::npos);
    EXPECT_EQ(first.html, HtmlClipboardPayload(fragment));
    EXPECT_NE(first.html.find("&lt;b&gt;Paris&lt;/b&gt; &amp; &quot;Rome&quot;"), std::string::npos);
    EXPECT_EQ(first.html.find("<b>Paris"), std::string::npos) << "no markup from a title";
    EXPECT_NE(first.html.find("href=\"http://localhost/demo/ParisRome?x=1&amp;y=2\""), std::string::npos);
    EXPECT_FALSE(hasIcon) << "the URL list has no icon of its own";
    EXPECT_NE(GetPrivateProfileIntW(L"UrlDlg", L"rectRight", 0, ini.c_str()), 0) << "placement saved on close";
}

TEST_P(UrlList, EnterAndCloseBoxEndWithTwo)
{
    ScopedLanguage language(GetParam());
    const std::wstring text = L"a\r\n", html = L"<p>a</p>";
    for (UINT message : {UINT(IDOK), UINT(WM_CLOSE)}) {
        ModalDriver driver;
        driver.Then([&](HWND dialog) {
            if (message == IDOK) {
                // Enter does not end the dialog; Escape does.
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                EXPECT_TRUE(IsWindow(dialog));
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            } else {
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
        });
        CUrlDlg dialog(text, html, SettingsLocation::File(ini));
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    }
}

TEST_P(UrlList, AnEmptyTextCopiesNothing)
{
    ScopedLanguage language(GetParam());
    const std::wstring empty, html = L"<p></p>";
    PutOnClipboard(L"kept");
    CUrlDlg dialog(empty, html, SettingsLocation::File(ini));
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    EXPECT_FALSE(dialog.Copy());
    SendMessageW(dialog.Item(IDC_URL_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadClipboard().text, L"kept");
}

INSTANTIATE_TEST_SUITE_P(Languages, UrlList, ::testing::Values("en", "ja"));
