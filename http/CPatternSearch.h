#pragma once
#include <string>
#include <vector>

// The brace-group pattern language: a pattern states the context and braces
// mark the text to extract, e.g. "charset={[A-Za-z0-9\-_]+}".
//
//   c        the character itself        .        any one character
//   [set]    one of a set (ranges a-b, ^ negates, \t tab, \x escapes x)
//   {...}    match group (numbered from 0 by opening brace)
//   (...)    grouping          x|y   alternation (lowest precedence)
//   * + ?    greedy repeats    *? +? ??  lazy repeats
//   !item    succeeds where item does not match (consumes nothing)
//   ^        at the very start: anchored at the search start
//   $        as the last character: anchored at the end of the text
//   \0..\9   text of an opened group again
//   \a \b \c \d \h \n \q \w \z   abbreviations (see the .cpp)
class CPatternSearch
{
public:
    enum ParseError
    {
        kOk = 0,
        kOutOfMemory = 1,
        kBraceExpected = 2,
        kParenExpected = 3,
        kBracketExpected = 4,
        kBadAbbreviation = 5,
        kEmptySet = 6,
        kUnknownGroup = 7,
        kBadRange = 8,
        kEmptyRepeat = 9,
        kNoPattern = 10,
    };

    struct Group
    {
        size_t start = npos;
        size_t end = npos;
        bool Took() const { return start != npos; }
    };
    static constexpr size_t npos = size_t(-1);

    CPatternSearch();
    ~CPatternSearch();
    CPatternSearch(const CPatternSearch&) = delete;
    CPatternSearch& operator=(const CPatternSearch&) = delete;

    // Parses the pattern; without the case flag it is lower-cased first.
    int Parse(const std::wstring& pattern, bool caseSensitive);

    int GroupCount() const;

    // Finds the first match at or after `from` in `text` (which must already
    // be lower-cased when the pattern was parsed without the case flag).
    // `searchStart` is where ^ anchors. Fills the groups and the match end.
    bool Search(const std::wstring& text, size_t from, size_t searchStart,
                std::vector<Group>& groups, size_t& matchStart, size_t& matchEnd) const;

    struct Program; // the compiled pattern

private:
    Program* program_ = nullptr;
    bool caseSensitive_ = true;
};

// Runs `pattern` repeatedly over `text` and collects the texts of match
// groups 0..groupCount-1 of each accepted match. Without duplicates, a match
// whose group texts equal an already stored block is dropped.
bool FindAll(const std::wstring& pattern, bool caseSensitive, int groupCount,
             const std::wstring& text, std::vector<std::wstring>& results,
             bool allowDuplicates);
