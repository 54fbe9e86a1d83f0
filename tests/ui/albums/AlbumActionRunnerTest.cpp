// The album-action runner against a fake client: the calls it makes, in
// order, the log lines, where it stops after a failure or when told to, and
// the selection of albums by calendar day.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "service/AlbumActionTarget.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/albums/AlbumActionRunner.h"
#include "ui/albums/AlbumSelection.h"

namespace {

// Answers each call with the next result of its list (success when the list
// runs out) and keeps the calls and the log lines.
class FakeTarget : public AlbumActionTarget
{
public:
    explicit FakeTarget(std::vector<DWORD> results) : m_results(std::move(results)) {}

    DWORD DeleteAlbum(const std::wstring& editLink) override { return Answer(L"delete " + editLink); }
    DWORD SetAlbumAccess(const std::wstring& editLink, unsigned level) override
    {
        return Answer(L"access " + std::to_wstring(level) + L" " + editLink);
    }
    DWORD SetAlbumCommenting(const std::wstring& editLink, int flag) override
    {
        return Answer(L"commenting " + std::to_wstring(flag) + L" " + editLink);
    }
    void WriteLog(const std::wstring& text) override { log.push_back(text); }

    std::vector<std::wstring> calls;
    std::vector<std::wstring> log;

private:
    DWORD Answer(const std::wstring& call)
    {
        calls.push_back(call);
        return calls.size() <= m_results.size() ? m_results[calls.size() - 1] : ERROR_SUCCESS;
    }
    std::vector<DWORD> m_results;
};

std::vector<AlbumEntry> ThreeAlbums()
{
    std::vector<AlbumEntry> albums(3);
    const wchar_t* titles[] = {L"Garden", L"京都の紅葉", L"Paris"};
    for (size_t i = 0; i < albums.size(); ++i) {
        albums[i].title = titles[i];
        albums[i].editLink = L"e" + std::to_wstring(i);
        albums[i].access = L"public";
        albums[i].commentingEnabled = L"true";
    }
    return albums;
}

} // namespace

TEST(RunAlbumAction, CallsLogLinesAndWhereItStopsInATable)
{
    DialogHarness::ScopedLanguage language("en");
    AlbumAction access{AlbumAction::Kind::Access};
    access.accessLevel = 2;
    AlbumAction commentingOff{AlbumAction::Kind::Commenting};
    commentingOff.commentingOn = false;
    const struct
    {
        const char* name;
        AlbumAction action;
        std::vector<DWORD> results;
        size_t stopBefore; // goOn says no before this album (3: never)
        std::vector<std::wstring> calls;
        std::vector<std::wstring> log;
        AlbumActionOutcome outcome;
    } cases[] = {
        {"all deleted", {AlbumAction::Kind::Delete}, {}, 3,
         {L"delete e0", L"delete e1", L"delete e2"},
         {L"Album deleted: Garden", L"Album deleted: 京都の紅葉", L"Album deleted: Paris"},
         {3, false, false, ERROR_SUCCESS}},
        {"the second of three fails", {AlbumAction::Kind::Delete}, {ERROR_SUCCESS, 12002}, 3,
         {L"delete e0", L"delete e1"},
         {L"Album deleted: Garden", L"Album NOT deleted: 京都の紅葉"},
         {1, true, false, 12002}},
        {"access, the first fails", access, {5}, 3,
         {L"access 2 e0"},
         {L"Access NOT changed from public to protected: Garden"},
         {0, true, false, 5}},
        {"commenting off for all", commentingOff, {}, 3,
         {L"commenting 0 e0", L"commenting 0 e1", L"commenting 0 e2"},
         {L"Commenting changed from true to false: Garden", L"Commenting changed from true to false: 京都の紅葉",
          L"Commenting changed from true to false: Paris"},
         {3, false, false, ERROR_SUCCESS}},
        {"cancelled after the first", access, {}, 1,
         {L"access 2 e0"},
         {L"Access changed from public to protected: Garden",
          L"Stopped by the user after 1 of 3 albums; not changed from here on: 京都の紅葉"},
         {1, false, true, ERROR_SUCCESS}},
        {"cancelled before any", {AlbumAction::Kind::Delete}, {}, 0,
         {},
         {L"Stopped by the user after 0 of 3 albums; not changed from here on: Garden"},
         {0, false, true, ERROR_SUCCESS}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTarget target(c.results);
        std::vector<size_t> asked;
        const AlbumActionOutcome outcome =
            RunAlbumAction(target, ThreeAlbums(), c.action, [&](size_t done) {
                asked.push_back(done);
                return done < c.stopBefore;
            });
        EXPECT_EQ(target.calls, c.calls);
        EXPECT_EQ(target.log, c.log);
        EXPECT_EQ(outcome.done, c.outcome.done);
        EXPECT_EQ(outcome.failed, c.outcome.failed);
        EXPECT_EQ(outcome.stopped, c.outcome.stopped);
        EXPECT_EQ(outcome.error, c.outcome.error);
        // Asked before each album it reached, counting up from none.
        ASSERT_FALSE(asked.empty());
        for (size_t i = 0; i < asked.size(); ++i)
            EXPECT_EQ(asked[i], std::min(i, outcome.done));
    }
}

TEST(RunAlbumAction, WithoutAGoOnItRunsThroughAndNoAlbumsCallNothing)
{
    DialogHarness::ScopedLanguage language("ja");
    FakeTarget target({});
    EXPECT_EQ(RunAlbumAction(target, ThreeAlbums(), {AlbumAction::Kind::Delete}).done, 3u);
    EXPECT_EQ(target.log.size(), 3u);
    FakeTarget idle({});
    const AlbumActionOutcome none = RunAlbumAction(idle, {}, {AlbumAction::Kind::Delete});
    EXPECT_EQ(none.done, 0u);
    EXPECT_FALSE(none.failed || none.stopped);
    EXPECT_TRUE(idle.calls.empty() && idle.log.empty());
}

TEST(AlbumsOnDay, PublishedTextsMatchTheirOwnDayOnly)
{
    const std::vector<std::wstring> published = {
        L"2012/03/24 10:00:00", L"2012/3/24 23:59:59", L"2012/03/25 00:00:00", L"", L"not a date",
        L"2011/03/24 10:00:00", L"2012/04/24 10:00:00",
    };
    const struct
    {
        int year, month, day;
        std::vector<bool> hits;
    } cases[] = {
        {2012, 3, 24, {true, true, false, false, false, false, false}},
        {2012, 3, 25, {false, false, true, false, false, false, false}},
        {2012, 4, 24, {false, false, false, false, false, false, true}},
        {2010, 1, 1, std::vector<bool>(7, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        EXPECT_EQ(AlbumsOnDay(published, c.year, c.month, c.day), c.hits);
    }
    EXPECT_TRUE(AlbumsOnDay({}, 2012, 3, 24).empty());
}
