// Selection by pattern without a window: the titles a pattern picks, a
// pattern that does not compile, and titles long enough to have brought the
// program down.
#include <gtest/gtest.h>

#include "tests/support/TestEnv.h"
#include "ui/albums/AlbumSelection.h"

namespace {

const std::vector<std::wstring> kTitles = {L"Garden", L"garden party", L"京都の紅葉", L"Paris & Rome <2009>", L""};

std::vector<bool> Hits(std::initializer_list<int> rows)
{
    std::vector<bool> hits(kTitles.size(), false);
    for (int row : rows)
        hits[size_t(row)] = true;
    return hits;
}

} // namespace

TEST(TitlesMatching, PatternsCaseAndWholeTitleInATable)
{
    const struct
    {
        const wchar_t* pattern;
        bool ignoreCase;
        bool wholeTitle;
        std::vector<bool> hits;
    } cases[] = {
        {L"arden", false, false, Hits({0, 1})},
        {L"GARDEN", false, false, Hits({})},
        {L"GARDEN", true, false, Hits({0, 1})},
        {L"garden", true, true, Hits({0})},
        {L"Gard", false, true, Hits({})},
        {L"紅葉", false, false, Hits({2})},
        {L"京都.紅葉", false, true, Hits({2})},
        {L"& Rome <\\d{4}>$", false, false, Hits({3})},
        {L"^$", false, true, Hits({4})},
        {L"(a)\\1", true, false, Hits({})},      // a back-reference: the backtracking matcher
        {L"(r)(t)y|(e)\\3?n", false, true, Hits({})},
        {L"(.)\\1*en", false, false, Hits({0, 1})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.pattern));
        const TitleMatches matches = TitlesMatching(kTitles, c.pattern, c.ignoreCase, c.wholeTitle);
        EXPECT_TRUE(matches.valid);
        EXPECT_EQ(matches.hits, c.hits);
    }
}

TEST(TitlesMatching, APatternThatDoesNotCompileSaysWhyAndPicksNothing)
{
    for (const wchar_t* pattern : {L"(", L"[a-", L"a{2,1}", L"a)"}) {
        const TitleMatches matches = TitlesMatching(kTitles, pattern, false, false);
        EXPECT_FALSE(matches.valid) << TestEnv::Narrow(pattern);
        EXPECT_FALSE(matches.error.empty());
        EXPECT_EQ(matches.hits, Hits({}));
    }
}

// A title of 100,000 characters once overflowed the stack: one frame of the
// library's matcher per character. Every kind of pattern must come back.
TEST(TitlesMatching, TitlesOfAHundredThousandCharactersNeverBringItDown)
{
    const std::wstring longA(100000, L'a');
    const std::vector<std::wstring> titles = {longA + L"z", longA, L"az", std::wstring(5000, L'a')};
    const struct
    {
        const wchar_t* pattern;
        bool wholeTitle;
        std::vector<bool> hits;
    } cases[] = {
        {L"z", false, {true, false, true, false}},
        {L"a+z", true, {true, false, true, false}},
        {L"(a|b)*", true, {false, true, false, true}},
        {L"(a*)*z", true, {true, false, true, false}},
        // Back-references backtrack: past the bound a title is no match,
        // below it the answer is the library's.
        {L"(a)\\1", false, {false, false, false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.pattern));
        const TitleMatches matches = TitlesMatching(titles, c.pattern, false, c.wholeTitle);
        EXPECT_TRUE(matches.valid);
        EXPECT_EQ(matches.hits, c.hits);
    }
    EXPECT_LT(size_t(5000), kLongestBacktrackedTitle);
}
