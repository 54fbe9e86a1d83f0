#include "service/PicasaClient.h"

#include "base/MarkupEscape.h"
#include "http/CUtf8Support.h"
#include "service/FeedDocument.h"
#include "service/PhotoFeed.h"

namespace {

// The version at the end of an edit link after `marker` and one more
// segment (the entry's id): ".../photoid/<id>/<version>", quoted.
std::wstring VersionAfter(const std::wstring& link, const std::wstring& marker)
{
    const size_t at = link.rfind(marker);
    if (at == std::wstring::npos)
        return L"";
    const size_t idEnd = link.find(L'/', at + marker.size());
    if (idEnd == std::wstring::npos || idEnd + 1 >= link.size())
        return L"";
    std::wstring version = link.substr(idEnd + 1);
    version = version.substr(0, version.find_first_of(L"/?#"));
    return version.empty() ? L"" : L"\"" + version + L"\"";
}

} // namespace

std::wstring PicasaClient::PhotoVersion(const PhotoEntry& photo)
{
    if (!photo.etag.empty())
        return photo.etag;
    return VersionAfter(photo.editLink, L"/photoid/");
}

std::wstring PicasaClient::PhotoChangesXml(const PhotoChanges& changes)
{
    std::wstring body = L"<entry xmlns='http://www.w3.org/2005/Atom'\n"
                        L"    xmlns:media='http://search.yahoo.com/mrss/'\n"
                        L"    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n";
    if (changes.title)
        body += L"  <title type='text'>" + XmlElementText(*changes.title) + L"</title>\n";
    if (changes.summary)
        body += L"  <summary type='text'>" + XmlElementText(*changes.summary) + L"</summary>\n";
    if (changes.albumId)
        body += L"  <gphoto:albumid>" + XmlElementText(*changes.albumId) + L"</gphoto:albumid>\n";
    if (changes.keywords)
        body += L"  <media:group><media:keywords>" + XmlElementText(*changes.keywords) +
                L"</media:keywords></media:group>\n";
    return body + L"</entry>\n";
}

DWORD PicasaClient::ChangeResult()
{
    if (lastStatus_ == L"200")
        return ERROR_SUCCESS;
    lastErrorBody_ = ReplyOrCause();
    if (lastStatus_ == L"412")
        return ERROR_REVISION_MISMATCH;
    return lastStatus_ == L"404" ? ERROR_NOT_FOUND : ERROR_WRITE_FAULT;
}

namespace {

// The fields a photo's own entry gives, taken into the list's entry (which
// keeps its place, its media and its details).
void TakeEntryFields(PhotoEntry& photo, const PhotoEntry& changed)
{
    photo.title = changed.title;
    photo.summary = changed.summary;
    photo.keywords = changed.keywords;
    photo.albumId = changed.albumId;
    photo.etag = changed.etag;
    if (!changed.editLink.empty())
        photo.editLink = changed.editLink;
    if (!changed.alternateLink.empty())
        photo.alternateLink = changed.alternateLink;
}

// The entry's address: the edit link without the version after the id.
std::wstring EntryAddress(const std::wstring& editLink)
{
    const std::wstring marker = L"/photoid/";
    const size_t at = editLink.rfind(marker);
    if (at == std::wstring::npos)
        return editLink;
    const size_t idEnd = editLink.find(L'/', at + marker.size());
    return idEnd == std::wstring::npos ? editLink : editLink.substr(0, idEnd);
}

} // namespace

bool PicasaClient::ReadEntryReply(PhotoEntry& photo)
{
    FeedDocument document;
    uint32_t elapsed = 0;
    bool parsed = false;
    PhotoEntry changed;
    if (!document.Create() || document.Load(transport_.ResponseText(), elapsed, parsed) != S_OK ||
        document.RootName() != L"entry" || !ReadUploadedPhoto(document, changed))
        return false;
    xmlLoadStats_.Add(elapsed);
    TakeEntryFields(photo, changed);
    return true;
}

DWORD PicasaClient::ReloadPhoto(PhotoEntry& photo)
{
    lastOutcomeUnknown_ = false;
    if (!MayChange(photo.editLink))
        return ERROR_WRITE_FAULT;
    transport_.url = EntryAddress(photo.editLink);
    transport_.ClearBody();
    transport_.requestHeaders = access_.HeadersFor(transport_.url) + L"Connection: Keep-Alive\r\n";
    lastStatus_ = Send(L"GET");
    const DWORD result = ChangeResult();
    if (result == ERROR_SUCCESS && !ReadEntryReply(photo))
        return ERROR_WRITE_FAULT;
    return result;
}

DWORD PicasaClient::UpdatePhoto(PhotoEntry& photo, const PhotoChanges& changes)
{
    if (changes.Empty())
        return ERROR_SUCCESS;
    lastOutcomeUnknown_ = false;
    if (!MayChange(photo.editLink))
        return ERROR_WRITE_FAULT;
    CUtf8Support utf8;
    const std::wstring entry = PhotoChangesXml(changes);
    if (!utf8.ToUtf8(entry.c_str()) || utf8.Count() == 0) {
        lastStatus_.clear();
        lastErrorBody_.clear();
        return ERROR_WRITE_FAULT;
    }
    const std::wstring version = PhotoVersion(photo);
    lastStatus_ = SendPatch(photo.editLink, utf8.Data(), utf8.Count() - 1, version.empty() ? L"*" : version);
    const DWORD result = ChangeResult();
    if (result != ERROR_SUCCESS)
        return result;
    // The reply is the changed entry: its version is the one the next change
    // needs. One that cannot be read still was changed (a refresh shows it);
    // the photo keeps its place in the list.
    if (!ReadEntryReply(photo)) {
        if (changes.title)
            photo.title = *changes.title;
        if (changes.summary)
            photo.summary = *changes.summary;
        if (changes.keywords)
            photo.keywords = *changes.keywords;
        if (changes.albumId)
            photo.albumId = *changes.albumId;
        photo.etag.clear();
    }
    return ERROR_SUCCESS;
}

DWORD PicasaClient::DeletePhoto(const PhotoEntry& photo)
{
    lastOutcomeUnknown_ = false;
    if (!MayChange(photo.editLink))
        return ERROR_WRITE_FAULT;
    const std::wstring version = PhotoVersion(photo);
    transport_.url = photo.editLink;
    transport_.ClearBody();
    transport_.requestHeaders =
        access_.HeadersFor(transport_.url) + L"If-Match: " + (version.empty() ? L"*" : version) + L"\r\nConnection: Keep-Alive\r\n";
    lastStatus_ = Send(L"DELETE");
    return ChangeResult();
}
