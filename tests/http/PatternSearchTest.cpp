#include <gtest/gtest.h>

#include "http/CPatternSearch.h"

namespace {

struct Case
{
    const wchar_t* pattern;
    const wchar_t* text;
    bool caseSensitive;
    int groups;
    bool allowDuplicates;
    std::vector<std::wstring> expected;
};

std::vector<std::wstring> RunFindAll(const Case& c)
{
    std::vector<std::wstring> results{L"stale"};
    EXPECT_TRUE(FindAll(c.pattern, c.caseSensitive, c.groups, c.text, results, c.allowDuplicates))
        << "pattern " << testing::PrintToString(std::wstring(c.pattern));
    return results;
}

class Constructs : public testing::TestWithParam<Case> {};

TEST_P(Constructs, FindsTheExpectedGroupTexts)
{
    const Case& c = GetParam();
    EXPECT_EQ(RunFindAll(c), c.expected) << "pattern " << testing::PrintToString(std::wstring(c.pattern)) << " text "
                                  << testing::PrintToString(std::wstring(c.text));
}

const Case kConstructs[] = {
    // literal characters, any character
    {L"{abc}", L"xxabcxx", true, 1, false, {L"abc"}},
    {L"a{.}c", L"abc aXc", true, 1, true, {L"b", L"X"}},
    // sets, ranges, negation, escapes
    {L"{[a-c]+}", L"xxabcabdx", true, 1, false, {L"abcab"}},
    {L"{[^0-9]+}", L"123abc456", true, 1, false, {L"abc"}},
    {L"{[\\-_]+}", L"a-_-b", true, 1, false, {L"-_-"}},
    {L"{[a\\]]+}", L"xa]a]x", true, 1, false, {L"a]a]"}},
    {L"{[\\t]}", L"a\tb", true, 1, false, {L"\t"}},
    {L"{[-a]+}", L"x-a-x", true, 1, false, {L"-a-"}},
    // match groups and plain grouping
    {L"{a}{b}", L"ab", true, 2, false, {L"a", L"b"}},
    {L"{(ab)+}", L"xababx", true, 1, false, {L"abab"}},
    {L"{a{b}c}", L"abc", true, 2, false, {L"abc", L"b"}},
    {L"(x){y}", L"xy", true, 1, false, {L"y"}},
    // alternation, left alternative first, lowest precedence
    {L"{ab|cd}", L"cd ab", true, 1, true, {L"cd", L"ab"}},
    {L"{a|ab}", L"ab", true, 1, false, {L"a"}},
    {L"{a}|{b}", L"b", true, 2, false, {}}, // group 0 did not take part: nothing taken
    {L"{a}|{b}", L"a", true, 2, false, {L"a"}}, // stops at the first group that did not take part
    // greedy and lazy repeats
    {L"<{.*}>", L"<a><b>", true, 1, false, {L"a><b"}},
    {L"<{.*?}>", L"<a><b>", true, 1, true, {L"a", L"b"}},
    {L"{a+}", L"aaa", true, 1, false, {L"aaa"}},
    {L"{a+?}", L"aaa", true, 1, true, {L"a", L"a", L"a"}},
    {L"{ab?}", L"ab a", true, 1, true, {L"ab", L"a"}},
    {L"{ab??}", L"ab", true, 1, false, {L"a"}},
    {L"{(ab)*c}", L"ababc", true, 1, false, {L"ababc"}},
    {L"{(ab)*?c}", L"ababc", true, 1, false, {L"ababc"}},
    {L"{a(bc)?}", L"abcab", true, 1, true, {L"abc", L"a"}},
    // backtracking into a repeat
    {L"{a*ab}", L"aaab", true, 1, false, {L"aaab"}},
    {L"{(a|ab)(c|bcd)}", L"abcd", true, 1, false, {L"abcd"}},
    // negation consumes nothing
    {L"{!a.}", L"ab", true, 1, true, {L"b"}},
    {L"x{!y[a-z]}", L"xyxz", true, 1, false, {L"z"}},
    // anchors
    {L"^{a}", L"aa", true, 1, true, {L"a", L"a"}}, // later searches anchor at the previous end
    {L"^{a}", L"ba", true, 1, false, {}},
    {L"{a}$", L"aab", true, 1, false, {}},
    {L"{a}$", L"baa", true, 1, true, {L"a"}},
    {L"{a$b}", L"a$b", true, 1, false, {L"a$b"}}, // $ elsewhere is ordinary
    {L"{b^}", L"b^", true, 1, false, {L"b^"}},
    // back-references
    {L"{[a-z]}\\0", L"abccd", true, 1, false, {L"c"}},
    {L"{[a-z]+}-\\0", L"ab-ab ab-ac", true, 1, true, {L"ab"}},
    {L"{x}\\0", L"xX", false, 1, false, {L"x"}},
    {L"{x}\\0", L"xX", true, 1, false, {}},
    // abbreviations
    {L"{\\a+}", L"--aZ9--", true, 1, false, {L"aZ9"}},
    {L"x{\\b}y", L"x y x\ty", true, 1, true, {L" ", L"\t"}},
    {L"{\\c+}", L"12abC34", true, 1, false, {L"abC"}},
    {L"{\\d+}", L"ab123cd", true, 1, false, {L"123"}},
    {L"{\\h+}", L"xx0fA9zz", true, 1, false, {L"0fA9"}},
    {L"a{\\n}b", L"a\rb a\r\nb a\nb", true, 1, true, {L"\r", L"\r\n", L"\n"}},
    {L"{\\q}", L"say \"hi\" or 'yo'", true, 1, true, {L"\"hi\"", L"'yo'"}},
    {L"{\\w}", L"12 hello 34", true, 1, false, {L"hello"}},
    {L"{\\z}", L"ab 2024 cd", true, 1, false, {L"2024"}},
    // escapes of ordinary characters
    {L"\\{{[^\\}]*}\\}", L"x{inner}y", true, 1, false, {L"inner"}},
    {L"{a\\.b}", L"axb a.b", true, 1, false, {L"a.b"}},
    // case folding: positions come from the original text
    {L"charset={[A-Za-z0-9\\-_]+}", L"Content-Type: text/html; CHARSET=UTF-8\r\n", false, 1, false, {L"UTF-8"}},
    {L"{<html>}", L"<HTML><body>", false, 1, false, {L"<HTML>"}},
    {L"{<html>}", L"<HTML><body>", true, 1, false, {}},
    {L"{[A-Z]+}", L"abcDEF", false, 1, false, {L"abcDEF"}},
    {L"{x}", L"xXx", false, 1, false, {L"x"}}, // duplicates compared without case
    {L"{[xX]}", L"xXx", true, 1, false, {L"x", L"X"}},
    // duplicate filter over blocks of group texts
    {L"{a}", L"aaa", true, 1, false, {L"a"}},
    {L"{a}", L"aaa", true, 1, true, {L"a", L"a", L"a"}},
    {L"{[a-z]}={[0-9]}", L"a=1 b=2 a=1 a=2", true, 2, false, {L"a", L"1", L"b", L"2", L"a", L"2"}},
    // a pattern that can match the empty text moves on one character
    {L"{b?}", L"ab", true, 1, true, {L"", L"b"}},
    {L"{b?}", L"aaa", true, 1, false, {L""}},
    // charset followed by a blank gives nothing
    {L"charset={[A-Za-z0-9\\-_]+}", L"Content-Type: text/html; charset= utf-8", false, 1, false, {}},
};

INSTANTIATE_TEST_SUITE_P(PatternSearch, Constructs, testing::ValuesIn(kConstructs),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

struct ErrorCase
{
    const wchar_t* pattern;
    int error;
};

class ParseErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrors, ReportTheirNumberAndFindAllFails)
{
    const ErrorCase& c = GetParam();
    CPatternSearch search;
    EXPECT_EQ(search.Parse(c.pattern, true), c.error) << testing::PrintToString(std::wstring(c.pattern));
    std::vector<std::wstring> results{L"stale"};
    EXPECT_FALSE(FindAll(c.pattern, true, 1, L"some text", results, false));
    EXPECT_TRUE(results.empty());
}

const ErrorCase kErrors[] = {
    {L"{abc", CPatternSearch::kBraceExpected},
    {L"{a(b}", CPatternSearch::kParenExpected},
    {L"(ab", CPatternSearch::kParenExpected},
    {L"[abc", CPatternSearch::kBracketExpected},
    {L"[a-]", CPatternSearch::kBracketExpected}, // a range without its end
    {L"[a\\", CPatternSearch::kBracketExpected},
    {L"[]", CPatternSearch::kEmptySet},
    {L"[^]", CPatternSearch::kEmptySet},
    {L"{a}\\1", CPatternSearch::kUnknownGroup},
    {L"\\0{a}", CPatternSearch::kUnknownGroup},
    {L"[z-a]", CPatternSearch::kBadRange},
    {L"[A-]]", CPatternSearch::kBracketExpected},
    {L"[b-\\a]", CPatternSearch::kBadRange}, // the end is taken as written: "\\" is below "b"
    {L"(a?)*", CPatternSearch::kEmptyRepeat},
    {L"(a*)+", CPatternSearch::kEmptyRepeat},
    {L"a**", CPatternSearch::kEmptyRepeat},
    {L"(b?)*?", CPatternSearch::kEmptyRepeat},
    {L"()+", CPatternSearch::kEmptyRepeat},
    {L"", CPatternSearch::kNoPattern},
    {L"*a", CPatternSearch::kNoPattern},
    {L"a|+", CPatternSearch::kNoPattern},
    {L"a!", CPatternSearch::kNoPattern},
};

INSTANTIATE_TEST_SUITE_P(PatternSearch, ParseErrors, testing::ValuesIn(kErrors),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(PatternSearch, ZeroOrOneOfAnEmptyItemIsAllowed)
{
    CPatternSearch search;
    EXPECT_EQ(search.Parse(L"(a?)?b", true), CPatternSearch::kOk);
    EXPECT_EQ(search.Parse(L"[\\]-a]", true), CPatternSearch::kOk); // escaped "]" starts a range
}

TEST(PatternSearch, GroupsAreNumberedByOpeningBrace)
{
    CPatternSearch search;
    ASSERT_EQ(search.Parse(L"{a{b}}{c}", true), 0);
    EXPECT_EQ(search.GroupCount(), 3);
    std::vector<std::wstring> results;
    ASSERT_TRUE(FindAll(L"{a{b}}{c}", true, 3, L"abc", results, false));
    EXPECT_EQ(results, (std::vector<std::wstring>{L"ab", L"b", L"c"}));
}

TEST(PatternSearch, RefusesEmptyInputsAndNonPositiveGroupCounts)
{
    std::vector<std::wstring> results{L"stale"};
    EXPECT_FALSE(FindAll(L"", true, 1, L"abc", results, false));
    EXPECT_TRUE(results.empty());
    results = {L"stale"};
    EXPECT_FALSE(FindAll(L"{a}", true, 0, L"abc", results, false));
    EXPECT_TRUE(results.empty());
    EXPECT_FALSE(FindAll(L"{a}", true, 1, L"", results, false));
    EXPECT_TRUE(FindAll(L"{z}", true, 1, L"abc", results, false)); // no match is still success
    EXPECT_TRUE(results.empty());
}

TEST(PatternSearch, AskingForMoreGroupsThanThePatternHasTakesThoseThatExist)
{
    std::vector<std::wstring> results;
    ASSERT_TRUE(FindAll(L"{a}", true, 3, L"a", results, false));
    EXPECT_EQ(results, std::vector<std::wstring>{L"a"});
}

TEST(PatternSearch, LongRunsDoNotExhaustTheStack)
{
    std::wstring text(2000000, L'x');
    text += L"</html>";
    std::vector<std::wstring> results;
    ASSERT_TRUE(FindAll(L"{x+}<", true, 1, text, results, false));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].size(), 2000000u);
    ASSERT_TRUE(FindAll(L"{</html>}", false, 1, text, results, false));
    EXPECT_EQ(results, std::vector<std::wstring>{L"</html>"});
}

} // namespace
