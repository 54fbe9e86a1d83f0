// The URL command and dialog from the real language modules: the entries in
// the album list's order, and what Copy puts on the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/albums/CUrlDlg.h"
#include "ui/albums/UrlListCommand.h"
#include "ui/controls/ClipboardText.h"

using namespace AlbumDialogTest;

namespace {

using UrlList = InLanguage;

} // namespace

TEST_P(UrlList, ShowsOneEntryPerSelectedAlbumInListOrderAndCopiesTheBuiltText)
{
    const std::vector<AlbumEntry> albums = UrlAlbums();
    // The album list sorted so that its selected rows show 2, 0, 1 from the top.
    const std::vector<size_t> shown = {2, 0, 1};
    std::wstring expectedText, expectedHtml;
    for (size_t i : shown) {
        const AlbumEntry& a = albums[i];
        expectedText += FormatText(language.String(IDS_URL_ENTRY_TEXT), {a.title, a.numPhotos, a.alternateLink});
        expectedHtml += FormatText(language.String(IDS_URL_ENTRY_HTML),
                                   {HtmlEscape(a.title), a.numPhotos, HtmlEscape(a.alternateLink),
                                    HtmlEscape(a.alternateLink)});
    }

    std::wstring shownText;
    Clipboard first, second;
    bool hasIcon = true;
    int focus = 0;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        shownText = WindowText(GetDlgItem(dialog, IDC_URL_TEXT));
        hasIcon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0;
        focus = GetDlgCtrlID(GetFocus());
        // What the user types into the box is not what is copied.
        SetDlgItemTextW(dialog, IDC_URL_TEXT, L"typed over");
        SendMessageW(GetDlgItem(dialog, IDC_URL_COPY), BM_CLICK, 0, 0);
        first = ReadClipboard();
        PutOnClipboard(L"something else");
        SendMessageW(GetDlgItem(dialog, IDC_URL_COPY), BM_CLICK, 0, 0);
        second = ReadClipboard();
        Cancel(dialog);
    });
    RunUrlListCommand(nullptr, albums, shown, Settings());
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
    EXPECT_NE(first.html.find("href=\"http://localhost/demo/ParisRome?x=1&amp;y=2&quot;&gt;&lt;i&gt;\""),
              std::string::npos);
    EXPECT_TRUE(hasIcon) << "the URL list carries the program's icon like every other window";
    // Enter then copies; the box would have all its text selected.
    EXPECT_EQ(focus, IDC_URL_COPY);
    EXPECT_NE(GetPrivateProfileIntW(L"UrlDlg", L"rectRight", 0, ini.c_str()), 0) << "placement saved on close";
}

TEST_P(UrlList, EnterEscapeAndCloseBoxEndWithTwoWhereItWasLeft)
{
    const std::wstring text = L"a\r\n", html = L"<p>a</p>";
    // Enter does not end the dialog; the others do, keeping the placement
    // for the next opening.
    EachWayEndsWhereItWasLeft(
        {[](HWND dialog) {
             Press(dialog, IDOK);
             EXPECT_TRUE(IsWindowVisible(dialog));
             Cancel(dialog);
         },
         [](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_URL_COPY), WM_KEYDOWN, VK_ESCAPE, 0); },
         [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
        [&] { return CUrlDlg(text, html, Settings()).DoModal(nullptr); }, L"UrlDlg", ini, false);
}

TEST_P(UrlList, AnEmptyTextCopiesNothing)
{
    const std::wstring empty, html = L"<p></p>";
    ASSERT_TRUE(PutOnClipboard(L"kept"));
    CUrlDlg dialog(empty, html, Settings());
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    EXPECT_FALSE(dialog.Copy());
    SendMessageW(dialog.Item(IDC_URL_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadClipboard().text, L"kept");
}

INSTANTIATE_TEST_SUITE_P(Languages, UrlList, ::testing::Values("en", "ja"));
