// The photo list's command rules without a window: which commands are
// offered, the keywords as shown, the change each photo gets from the
// properties dialog, the albums a move may go to and the delete question.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TextCases.h"
#include "ui/photos/PhotoCommands.h"

namespace {

PhotoEntry Photo(std::wstring title, std::wstring summary, std::wstring keywords, std::wstring albumId = L"1",
                 std::wstring editLink = L"http://h/edit")
{
    PhotoEntry photo;
    photo.title = std::move(title);
    photo.summary = std::move(summary);
    photo.keywords = std::move(keywords);
    photo.albumId = std::move(albumId);
    photo.editLink = std::move(editLink);
    return photo;
}

std::wstring Describe(const PhotoChanges& c)
{
    std::wstring text;
    if (c.title)
        text += L"title=" + *c.title + L";";
    if (c.summary)
        text += L"summary=" + *c.summary + L";";
    if (c.keywords)
        text += L"keywords=" + *c.keywords + L";";
    return text;
}

} // namespace

TEST(PhotoCommands, KeywordsAreTrimmedKeptOnceAndJoined)
{
    TextCases::ExpectEach(NormalizedKeywords, {
        {L"", L""},
        {L"a,b", L"a, b"},
        {L"  a ,\tb  ,", L"a, b"},
        {L",,, ,", L""},
        {L"rose, Rose, rose", L"rose, Rose"},
        {L"京都, 紅葉,京都", L"京都, 紅葉"},
        {L"two words, x", L"two words, x"},
        {L"a\r\n,b", L"a, b"},
    });
}

TEST(PhotoCommands, OnlyTheOwnersSignedInSessionMayChange)
{
    const PhotoEntry owned = Photo(L"a", L"", L"");
    const PhotoEntry foreign = Photo(L"b", L"", L"", L"1", L"");
    const struct {
        bool signedIn;
        std::vector<const PhotoEntry*> selection;
        bool may;
    } rows[] = {
        {true, {&owned}, true},
        {true, {&owned, &owned}, true},
        {false, {&owned}, false},           // public-only mode
        {true, {&foreign}, false},          // another account's album: no edit link
        {true, {&owned, &foreign}, false},  // one photo without is enough
        {true, {}, false},
        {true, {nullptr}, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(PhotosMayChange(rows[i].signedIn, rows[i].selection), rows[i].may) << i;
}

TEST(PhotoCommands, TheDialogOpensWithSharedFieldsOnly)
{
    const PhotoEntry a = Photo(L"A.jpg", L"Sea", L"beach,sun");
    const PhotoEntry b = Photo(L"B.jpg", L"Sea", L"beach, sun");
    const PhotoEntry c = Photo(L"C.jpg", L"Sky", L"beach");
    EXPECT_EQ(PhotoEditFieldsOf({&a}), (PhotoEditFields{L"A.jpg", L"Sea", L"beach, sun"}));
    EXPECT_EQ(PhotoEditFieldsOf({&a, &b}), (PhotoEditFields{L"", L"Sea", L"beach, sun"}));
    EXPECT_EQ(PhotoEditFieldsOf({&a, &b, &c}), (PhotoEditFields{L"", L"", L""}));
    EXPECT_EQ(PhotoEditFieldsOf({}), (PhotoEditFields{}));
}

TEST(PhotoCommands, EachPhotoGetsOnlyTheFieldsTheUserChanged)
{
    const PhotoEntry photo = Photo(L"A.jpg", L"Sea", L"beach, sun");
    const PhotoEntry other = Photo(L"B.jpg", L"", L"");
    const PhotoEditFields opened{L"A.jpg", L"Sea", L"beach, sun"};
    const struct {
        const PhotoEntry* photo;
        PhotoEditFields opened, now;
        bool several;
        const wchar_t* changes;
    } rows[] = {
        {&photo, opened, opened, false, L""},
        {&photo, opened, {L"New", L"Sea", L"beach, sun"}, false, L"title=New;"},
        {&photo, opened, {L"A.jpg", L"", L"beach, sun"}, false, L"summary=;"},
        {&photo, opened, {L"A.jpg", L"Sea", L" beach ,sun,,"}, false, L""}, // the same keywords, spelt otherwise
        {&photo, opened, {L"A.jpg", L"Sea", L"sun, beach"}, false, L"keywords=sun, beach;"},
        {&photo, opened, {L"A.jpg", L"Sea", L""}, false, L"keywords=;"},
        // Several photos: the title is never sent, an untouched field never.
        {&photo, {L"", L"", L""}, {L"Typed", L"", L""}, true, L""},
        {&other, {L"", L"", L""}, {L"", L"Caption", L""}, true, L"summary=Caption;"},
        {&other, {L"", L"", L""}, {L"", L"Sea", L"x"}, true, L"summary=Sea;keywords=x;"},
        {&photo, {L"", L"", L""}, {L"", L"Sea", L"x"}, true, L"keywords=x;"},
        // A field changed to what this photo has already: nothing for it.
        {&photo, {L"", L"Other", L""}, {L"", L"Sea", L""}, true, L""},
        {&photo, {L"", L"", L""}, {L"", L"", L"sun,beach ,"}, true, L"keywords=sun, beach;"},
        {&photo, {L"", L"", L""}, {L"", L"", L"beach,sun"}, true, L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(Describe(PhotoChangesFor(*rows[i].photo, rows[i].opened, rows[i].now, rows[i].several)),
                  rows[i].changes)
            << i;
}

TEST(PhotoCommands, AMoveGoesToAlbumsNoSelectedPhotoIsInAndThatHaveRoom)
{
    std::vector<AlbumEntry> albums(4);
    albums[0].id = L"1";
    albums[1].id = L"2";
    albums[2].id = L"3";
    albums[3].id = L""; // an entry without an id is no place to go
    const PhotoEntry in1 = Photo(L"a", L"", L"", L"1");
    const PhotoEntry in3 = Photo(L"b", L"", L"", L"3");
    EXPECT_EQ(MoveTargets(albums, {&in1}), (std::vector<size_t>{1, 2}));
    EXPECT_EQ(MoveTargets(albums, {&in1, &in3}), (std::vector<size_t>{1}));
    EXPECT_EQ(MoveTargets({}, {&in1}), (std::vector<size_t>{}));

    const struct {
        int32_t numPhotos;
        size_t moved;
        bool room;
    } rows[] = {
        {0, 1, true}, {999, 1, true}, {1000, 1, false}, {998, 3, false}, {997, 3, true}, {-5, 1000, true},
        {0, 1001, false}, {2000, 0, false},
    };
    for (const auto& row : rows) {
        AlbumEntry album;
        album.numPhotos = row.numPhotos;
        EXPECT_EQ(AlbumHasRoom(album, row.moved), row.room) << row.numPhotos << " + " << row.moved;
    }
}

TEST(PhotoCommands, TheDeleteQuestionNamesThePhotoOrTheCount)
{
    DialogHarness::ScopedLanguage english("en");
    const PhotoEntry a = Photo(L"IMG_1.jpg", L"", L"");
    const PhotoEntry b = Photo(L"IMG_2.jpg", L"", L"");
    const PhotoEntry c = Photo(L"IMG_3.jpg", L"", L"");
    EXPECT_EQ(DeletePhotosQuestion({&a}, {L"Family"}),
              L"Delete 'IMG_1.jpg' from 'Family'? This cannot be undone.");
    EXPECT_EQ(DeletePhotosQuestion({&a, &b, &c}, {L"Family", L"Family", L"Family"}),
              L"Delete 3 photos from 'Family'? This cannot be undone.");
    EXPECT_EQ(DeletePhotosQuestion({&a, &b, &c}, {L"Family", L"Garden", L"Family"}),
              L"Delete 3 photos from 2 albums? This cannot be undone.");
}
