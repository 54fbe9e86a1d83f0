// The clipboard's texts, built without a window: HTML escaping, the plain
// and HTML copies of a list, and the "HTML Format" block byte for byte.
#include "ui/controls/ClipboardText.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

TEST(HtmlEscape, MarkupCharactersBecomeEntitiesAndNothingElseChanges)
{
    const struct
    {
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
    EXPECT_EQ(JoinTable({}, kCommaSeparator), L"");
    EXPECT_EQ(JoinTable({{L"a"}}, kCommaSeparator), L"a");
    EXPECT_EQ(JoinTable({{L"a", L"b"}, {L"", L"d"}}, kCommaSeparator), L"a, b\r\n, d");
    EXPECT_EQ(JoinTable({{L"a", L"b"}, {L"c", L"d"}}, kTabSeparator), L"a\tb\r\nc\td");
    EXPECT_EQ(JoinTable({{L"<b>&\""}}, kCommaSeparator), L"<b>&\"") << "plain text is never escaped";
}

TEST(ListCopy, TwoRowsOfTwoColumnsInTheExactLayout)
{
    const CopyTexts copy = BuildListCopy({L"Title", L"Web address"},
                                         {{{L"Summer", L""}, {L"shown", L"https://e.com/1"}},
                                          {{L"Winter", L""}, {L"x", L""}}});
    EXPECT_EQ(copy.text, L"Title, Web address\r\nSummer, https://e.com/1\r\nWinter, x");
    EXPECT_EQ(copy.html, L"<table><tr>\r\n<th>Title</th><th>Web address</th></tr>"
                         L"\r\n<tr>\r\n<td>Summer</td><td><a href=\"https://e.com/1\">https://e.com/1</a></td></tr>\r\n"
                         L"\r\n<tr>\r\n<td>Winter</td><td>x</td></tr>\r\n"
                         L"</table>\r\n");
}

TEST(ListCopy, OneRowWithALinkGivesHeaderLineAndTheUrl)
{
    const CopyTexts copy = BuildListCopy({L"A", L"B"}, {{{L"one", L""}, {L"two", L"U"}}});
    EXPECT_EQ(copy.text, L"A, B\r\none, U");
}

TEST(ListCopy, NoRowsGiveNoText)
{
    EXPECT_EQ(BuildListCopy({L"A"}, {}).text, L"");
}

// A title from someone else's album must not become markup in the pasted
// table; the plain text keeps it exactly as the list shows it.
TEST(ListCopy, MarkupInTitlesAndAddressesIsEscapedInHtmlOnly)
{
    const CopyTexts copy = BuildListCopy({L"Title <1>", L"Link"},
                                         {{{L"<b>&\"", L""}, {L"t", L"https://e.com/?a=1&b=\"><script>"}}});
    EXPECT_EQ(copy.text, L"Title <1>, Link\r\n<b>&\", https://e.com/?a=1&b=\"><script>");
    EXPECT_NE(copy.html.find(L"<td>&lt;b&gt;&amp;&quot;</td>"), std::wstring::npos);
    EXPECT_NE(copy.html.find(L"<th>Title &lt;1&gt;</th>"), std::wstring::npos);
    EXPECT_NE(copy.html.find(L"<a href=\"https://e.com/?a=1&amp;b=&quot;&gt;&lt;script&gt;\">"
                             L"https://e.com/?a=1&amp;b=&quot;&gt;&lt;script&gt;</a>"),
              std::wstring::npos);
    EXPECT_EQ(copy.html.find(L"<b>"), std::wstring::npos);
    EXPECT_EQ(copy.html.find(L"<script>"), std::wstring::npos);
}

// ---------------------------------------------------------------------------
// "HTML Format" block
// ---------------------------------------------------------------------------

namespace {

std::string Payload(const char* startHtml, const char* endHtml, const char* startFragment, const char* endFragment,
                    const std::string& fragment)
{
    return std::string("Version:0.9\r\n") + "StartHTML:" + startHtml + "\r\n" + "EndHTML:" + endHtml + "\r\n" +
           "StartFragment:" + startFragment + "\r\n" + "EndFragment:" + endFragment + "\r\n" +
           "<html><body>\r\n" + "<!--StartFragment -->\r\n" + fragment + "\r\n" +
           "<!--EndFragment-->\r\n</body>\r\n</html>\r\n";
}

} // namespace

TEST(HtmlPayload, TheThreeExamplesByteForByte)
{
    const struct
    {
        std::string fragment;
        std::string expected;
    } cases[] = {
        {"", Payload("00000097", "00000174", "00000111", "00000136", "")},
        {"<table>", Payload("00000097", "00000181", "00000111", "00000143", "<table>")},
        // One Japanese character is three bytes: both ends move by 3.
        {"\xe8\xa1\xa8", Payload("00000097", "00000177", "00000111", "00000139", "\xe8\xa1\xa8")},
    };
    for (const auto& c : cases) {
        const std::string payload = HtmlClipboardPayload(c.fragment);
        EXPECT_EQ(payload, c.expected);
        EXPECT_EQ(payload.size(), 174 + c.fragment.size());
        EXPECT_EQ(payload.compare(97, 6, "<html>"), 0);
        EXPECT_EQ(payload.compare(111, 13, "<!--StartFrag"), 0);
        EXPECT_EQ(payload.compare(136 + c.fragment.size(), 11, "<!--EndFrag"), 0);
    }
    EXPECT_EQ(HtmlClipboardPayload("").size(), 174u);
}

TEST(HtmlPayload, AnEndMarkerInsideTheFragmentIsTheEndFragmentOffset)
{
    const std::string fragment = "ab<!--EndFragment-->cd";
    const std::string payload = HtmlClipboardPayload(fragment);
    EXPECT_EQ(payload, Payload("00000097", "00000196", "00000111", "00000136", fragment));
}

TEST(HtmlPayload, FragmentsComeFromUtf16AsUtf8)
{
    EXPECT_EQ(Utf8FromWide(L""), "");
    EXPECT_EQ(Utf8FromWide(L"<table>"), "<table>");
    EXPECT_EQ(Utf8FromWide(L"表"), "\xe8\xa1\xa8");
    EXPECT_EQ(HtmlClipboardPayload(Utf8FromWide(L"表")).size(), 177u);
}
