#include "ui/photos/PhotoCommands.h"

#include <algorithm>
#include <set>

#include "app/ResourceText.h"
#include "res/resource.h"

namespace {

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return L"";
    const size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

bool PhotosMayChange(bool signedIn, const std::vector<const PhotoEntry*>& selection)
{
    if (!signedIn || selection.empty())
        return false;
    return std::all_of(selection.begin(), selection.end(),
                       [](const PhotoEntry* photo) { return photo && !photo->editLink.empty(); });
}

std::wstring NormalizedKeywords(const std::wstring& text)
{
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = text.size();
        const std::wstring word = Trimmed(text.substr(start, comma - start));
        if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end())
            words.push_back(word);
        start = comma + 1;
    }
    std::wstring joined;
    for (const std::wstring& word : words)
        joined += (joined.empty() ? L"" : L", ") + word;
    return joined;
}

PhotoEditFields PhotoEditFieldsOf(const std::vector<const PhotoEntry*>& selection)
{
    PhotoEditFields fields;
    if (selection.empty() || !selection.front())
        return fields;
    const PhotoEntry& first = *selection.front();
    fields.summary = first.summary;
    fields.keywords = NormalizedKeywords(first.keywords);
    if (selection.size() == 1) {
        fields.title = first.title;
        return fields;
    }
    for (const PhotoEntry* photo : selection) {
        if (!photo)
            continue;
        if (photo->summary != fields.summary)
            fields.summary.clear();
        if (NormalizedKeywords(photo->keywords) != fields.keywords)
            fields.keywords.clear();
    }
    return fields;
}

PhotoChanges PhotoChangesFor(const PhotoEntry& photo, const PhotoEditFields& opened, const PhotoEditFields& now,
                             bool several)
{
    PhotoChanges changes;
    if (!several && now.title != opened.title && now.title != photo.title)
        changes.title = now.title;
    if (now.summary != opened.summary && now.summary != photo.summary)
        changes.summary = now.summary;
    const std::wstring keywords = NormalizedKeywords(now.keywords);
    if (keywords != NormalizedKeywords(opened.keywords) && keywords != NormalizedKeywords(photo.keywords))
        changes.keywords = keywords;
    return changes;
}

std::vector<size_t> MoveTargets(const std::vector<AlbumEntry>& albums, const std::vector<const PhotoEntry*>& selection)
{
    std::set<std::wstring> sources;
    for (const PhotoEntry* photo : selection)
        if (photo)
            sources.insert(photo->albumId);
    std::vector<size_t> targets;
    for (size_t i = 0; i < albums.size(); ++i)
        if (!albums[i].id.empty() && sources.count(albums[i].id) == 0)
            targets.push_back(i);
    return targets;
}

bool AlbumHasRoom(const AlbumEntry& album, size_t count)
{
    const int64_t after = int64_t(std::max<int32_t>(album.numPhotos, 0)) + int64_t(count);
    return after <= kMostPhotosPerAlbum;
}

std::wstring DeletePhotosQuestion(const std::vector<const PhotoEntry*>& selection,
                                  const std::vector<std::wstring>& albumTitles)
{
    std::set<std::wstring> albums(albumTitles.begin(), albumTitles.end());
    const std::wstring album = albumTitles.empty() ? L"" : albumTitles.front();
    if (selection.size() == 1 && selection.front())
        return ResourceFormat(IDS_PHOTO_DELETE_ONE, {selection.front()->title, album});
    if (albums.size() <= 1)
        return ResourceFormat(IDS_PHOTO_DELETE_MANY, {int64_t(selection.size()), album});
    return ResourceFormat(IDS_PHOTO_DELETE_MANY_ALBUMS, {int64_t(selection.size()), int64_t(albums.size())});
}
