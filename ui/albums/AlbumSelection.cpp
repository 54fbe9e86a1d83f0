#include "ui/albums/AlbumSelection.h"

#include <windows.h>

#include <new>
#include <regex>

#include "base/UserCodePage.h"
#include "base/WorkerThread.h"
#include "ui/albums/AlbumWindowText.h"

namespace {

// Reserved, not committed: a backtracking match of a long title goes one
// frame deeper per character.
constexpr SIZE_T kMatchStackBytes = SIZE_T(256) << 20;

// What a backtracking match may take on an ordinary thread's stack.
constexpr size_t kLongestTitleOnSmallStack = 1000;

struct MatchJob
{
    const std::vector<std::wstring>& titles;
    std::wstring pattern;
    std::regex_constants::syntax_option_type flags;
    size_t longestBacktracked;
    TitleMatches result;
};

void RunMatch(MatchJob& job) noexcept
{
    try {
        std::wregex expression;
        // The library's breadth-first matcher keeps its depth to the size
        // of the pattern, whatever the title's length; it takes no
        // back-references, which need the backtracking one.
        bool backtracking = false;
        try {
            expression.assign(job.pattern, job.flags | std::regex_constants::__polynomial);
        } catch (const std::regex_error&) {
            backtracking = true;
            expression.assign(job.pattern, job.flags);
        }
        job.result.hits.assign(job.titles.size(), false);
        for (size_t i = 0; i < job.titles.size(); ++i) {
            if (backtracking && job.titles[i].size() > job.longestBacktracked)
                continue;
            try {
                job.result.hits[i] = std::regex_match(job.titles[i], expression);
            } catch (const std::regex_error&) {
                // too complex for this title: not a match
            }
        }
    } catch (const std::regex_error& failure) {
        job.result.valid = false;
        job.result.error = WideFromUserCodePage(failure.what());
        job.result.hits.assign(job.titles.size(), false);
    } catch (const std::bad_alloc&) {
        job.result.hits.assign(job.titles.size(), false);
    }
}

} // namespace

TitleMatches TitlesMatching(const std::vector<std::wstring>& titles, const std::wstring& pattern, bool ignoreCase,
                            bool wholeTitle)
{
    auto flags = std::regex_constants::ECMAScript;
    if (ignoreCase)
        flags |= std::regex_constants::icase;
    MatchJob job{titles, SelectionPattern(pattern, wholeTitle), flags, kLongestBacktrackedTitle, {}};
    {
        WorkerThread thread;
        if (thread.Start("title match", [&job] { RunMatch(job); }, {}, kMatchStackBytes)) {
            thread.Join();
        } else {
            // No thread to be had: here, with less room for backtracking.
            job.longestBacktracked = kLongestTitleOnSmallStack;
            RunMatch(job);
        }
    }
    return std::move(job.result);
}

std::vector<bool> AlbumsOnDay(const std::vector<std::wstring>& published, int year, int month, int day)
{
    std::vector<bool> hits;
    hits.reserve(published.size());
    for (const std::wstring& text : published) {
        int y = 0, m = 0, d = 0;
        hits.push_back(PublishedDay(text, y, m, d) && y == year && m == month && d == day);
    }
    return hits;
}
