// The clipboard's texts, built without a window: HTML escaping, the plain
// and HTML copies of a list, and the "HTML Format" block byte for byte.
#include "ui/controls/ClipboardText.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

TEST(HtmlEscape, MarkupCharactersBecomeEntitiesAndNothingElseChanges)
{
    const struct {
        const wchar_t* text;
        const wchar_t* escaped;
    } cases[] = {
        {L"", L""},
        {L"Holiday 2009", L"Holiday 2009"},
        {L"<b>&\"", L"&lt;b&gt;&amp;&quot;"},
        {L"Tom & Jerry's <script>alert(1)</script>", L"Tom &amp; Jerry's &lt;script&gt;alert(1)&lt;/script&gt;"},
        {L"&amp;", L"&amp;amp;"}, // escaped text is escaped again, never taken as markup
        {L"https://example.com/a?b=1&c=\"2\"", L"https://example.com/a?b=1&amp;c=&quot;2&quot;"},
        {L"夏休み <旅行>", L"夏休み &lt;旅行&gt;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlEscape(c.text), c.escaped) << c.text;
}

TEST(JoinTable, CellsBySeparatorRowsByCrLfNoBreakAtTheEnd)
{
    const struct {
        std::vector<std::vector<std::wstring>> rows;
        std::wstring_view separator;
        const wchar_t* joined;
    } cases[] = {
        {{}, kCommaSeparator, L""},
        {{{L"a"}}, kCommaSeparator, L"a"},
        {{{L"a", L"b"}, {L"", L"d"}}, kCommaSeparator, L"a, b\r\n, d"},
        {{{L"a", L"b"}, {L"c", L"d"}}, kTabSeparator, L"a\tb\r\nc\td"},
        {{{L"<b>&\""}}, kCommaSeparator, L"<b>&\""}, // plain text is never escaped
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinTable(c.rows, c.separator), c.joined);
}

// A link cell gives its address in both texts; a title from someone else's
// album must not become markup in the pasted table, while the plain text
// keeps it exactly as the list shows it. No rows: no text.
TEST(ListCopy, TheExactLayoutWithLinksAndEscapedMarkup)
{
    const struct {
        std::vector<std::wstring> headers;
        std::vector<std::vector<CopyCell>> rows;
        const wchar_t* text;
        const wchar_t* html; // null: not looked at
    } cases[] = {
        {{L"Title", L"Web address"},
         {{{L"Summer", L""}, {L"shown", L"https://e.com/1"}}, {{L"Winter", L""}, {L"x", L""}}},
         L"Title, Web address\r\nSummer, https://e.com/1\r\nWinter, x",
         L"<table><tr>\r\n<th>Title</th><th>Web address</th></tr>"
         L"\r\n<tr>\r\n<td>Summer</td><td><a href=\"https://e.com/1\">https://e.com/1</a></td></tr>\r\n"
         L"\r\n<tr>\r\n<td>Winter</td><td>x</td></tr>\r\n"
         L"</table>\r\n"},
        {{L"A", L"B"}, {{{L"one", L""}, {L"two", L"U"}}}, L"A, B\r\none, U", nullptr},
        {{L"A"}, {}, L"", nullptr},
        {{L"Title <1>", L"Link"},
         {{{L"<b>&\"", L""}, {L"t", L"https://e.com/?a=1&b=\"><script>"}}},
         L"Title <1>, Link\r\n<b>&\", https://e.com/?a=1&b=\"><script>",
         L"<table><tr>\r\n<th>Title &lt;1&gt;</th><th>Link</th></tr>"
         L"\r\n<tr>\r\n<td>&lt;b&gt;&amp;&quot;</td><td><a href=\"https://e.com/?a=1&amp;b=&quot;&gt;&lt;script&gt;\">"
         L"https://e.com/?a=1&amp;b=&quot;&gt;&lt;script&gt;</a></td></tr>\r\n"
         L"</table>\r\n"},
    };
    for (const auto& c : cases) {
        const CopyTexts copy = BuildListCopy(c.headers, c.rows);
        EXPECT_EQ(copy.text, c.text);
        if (c.html) {
            EXPECT_EQ(copy.html, c.html);
        }
    }
}

TEST(HtmlPayload, TheExamplesByteForByte)
{
    auto payload = [](const char* startHtml, const char* endHtml, const char* startFragment, const char* endFragment,
                      const std::string& fragment) {
        return std::string("Version:0.9\r\nStartHTML:") + startHtml + "\r\nEndHTML:" + endHtml +
               "\r\nStartFragment:" + startFragment + "\r\nEndFragment:" + endFragment +
               "\r\n<html><body>\r\n<!--StartFragment -->\r\n" + fragment +
               "\r\n<!--EndFragment-->\r\n</body>\r\n</html>\r\n";
    };
    const struct {
        std::string fragment;
        std::string expected;
    } cases[] = {
        {"", payload("00000097", "00000174", "00000111", "00000136", "")},
        {"<table>", payload("00000097", "00000181", "00000111", "00000143", "<table>")},
        // One Japanese character is three bytes: both ends move by 3.
        {"\xe8\xa1\xa8", payload("00000097", "00000177", "00000111", "00000139", "\xe8\xa1\xa8")},
        // An end marker inside the fragment is where the fragment ends.
        {"ab<!--EndFragment-->cd", payload("00000097", "00000196", "00000111", "00000136", "ab<!--EndFragment-->cd")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const std::string built = HtmlClipboardPayload(c.fragment);
        EXPECT_EQ(built, c.expected);
        EXPECT_EQ(built.size(), 174 + c.fragment.size());
        EXPECT_EQ(built.compare(97, 6, "<html>"), 0);
        EXPECT_EQ(built.compare(111, 13, "<!--StartFrag"), 0);
        EXPECT_EQ(built.compare(136 + c.fragment.size(), 11, "<!--EndFrag"), 0);
    }
}

TEST(HtmlPayload, FragmentsComeFromUtf16AsUtf8)
{
    for (auto [wide, utf8] : {std::pair{L"", ""}, {L"<table>", "<table>"}, {L"表", "\xe8\xa1\xa8"}})
        EXPECT_EQ(Utf8FromWide(wide), utf8);
}

TEST(HtmlPayload, NothingPastWhatEightDigitOffsetsCanSay)
{
    const size_t frame = HtmlClipboardPayload("").size();
    const std::string fits(kMostHtmlPayloadBytes - frame, 'x');
    EXPECT_EQ(HtmlClipboardPayload(fits).size(), kMostHtmlPayloadBytes);
    EXPECT_TRUE(HtmlClipboardPayload(fits + "x").empty());
}
