#pragma once
#include <string>
#include <vector>

// Which album titles a selection pattern picks, without a window.
struct TitleMatches
{
    bool valid = true;      // false when the pattern does not compile
    std::wstring error;     // then: why, as the library says it
    std::vector<bool> hits; // one per title, in the titles' order
};

// The pattern is an ECMAScript regular expression, matched against the
// whole title (wholeTitle) or anywhere in it, in any case when ignoreCase.
// No title can bring the program down, however long: the match runs where
// its depth cannot run out of stack, and a title too long for a pattern
// that must backtrack (a back-reference) counts as no match.
TitleMatches TitlesMatching(const std::vector<std::wstring>& titles, const std::wstring& pattern, bool ignoreCase,
                            bool wholeTitle);

// The longest title matched by a pattern with back-references; longer ones
// count as no match.
constexpr size_t kLongestBacktrackedTitle = 20000;

// Which albums were published on a day, from their published times as the
// list shows them (local "yyyy/mm/dd ..." text): one flag per album, in order.
std::vector<bool> AlbumsOnDay(const std::vector<std::wstring>& published, int year, int month, int day);
