#include "service/PicasaClient.h"

#include "base/MarkupEscape.h"
#include "http/CDataStorage.h"
#include "http/CUtf8Support.h"
#include "service/AccessLevel.h"

namespace {

const wchar_t kAtomNs[] = L"http://www.w3.org/2005/Atom";
const wchar_t kMediaNs[] = L"http://search.yahoo.com/mrss/";
const wchar_t kGphotoNs[] = L"http://schemas.google.com/photos/2007";
const wchar_t kKindScheme[] = L"http://schemas.google.com/g/2005#kind";

// A partial album entry that changes one gphoto element.
std::string PatchBody(const char* element, const char* value)
{
    return std::string("<entry xmlns='http://www.w3.org/2005/Atom'\n"
                       "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
                       "  <gphoto:") +
           element + ">" + value + "</gphoto:" + element + ">\n</entry>\n";
}

} // namespace

std::wstring PicasaClient::AlbumEntryXml(const std::wstring& title, const std::wstring& summary,
                                         const std::wstring& location, const std::wstring& access,
                                         int64_t timeSeconds)
{
    const std::wstring gphoto = kGphotoNs;
    return std::wstring(L"<entry xmlns='") + kAtomNs + L"'\n" +
           L"\txmlns:media='" + kMediaNs + L"'\n" +
           L"\txmlns:gphoto='" + gphoto + L"'>\n" +
           L"  <title type='text'>" + XmlElementText(title) + L"</title>\n" +
           L"  <summary type='text'>" + XmlElementText(summary) + L"</summary>\n" +
           L"  <gphoto:location>" + XmlElementText(location) + L"</gphoto:location>\n" +
           L"  <gphoto:access>" + access + L"</gphoto:access>\n" +
           L"  <gphoto:timestamp>" + std::to_wstring(static_cast<long long>(timeSeconds * 1000)) +
           L"</gphoto:timestamp>\n" +
           L"  <category scheme='" + kKindScheme + L"'\n" +
           L"\tterm='" + gphoto + L"#album'></category>\n" +
           L"</entry>\n";
}

DWORD PicasaClient::CreateAlbum(const std::wstring& title, const std::wstring& summary, const std::wstring& location,
                                const std::wstring& access, int64_t timeSeconds)
{
    transport_.url = UserFeedUrl();
    transport_.ClearBody();
    const std::wstring entry = AlbumEntryXml(title, summary, location, access, timeSeconds);
    CUtf8Support utf8;
    uint32_t length = 0;
    if (utf8.ToUtf8(entry.c_str()) && utf8.Count() > 0) {
        length = utf8.Count() - 1;
        transport_.SetBody(utf8.Data(), int32_t(length));
    }
    transport_.requestHeaders = L"Content-Length: " + std::to_wstring(length) + L"\r\n" + access_.HeadersFor(transport_.url) +
                                L"Content-Type: application/atom+xml; charset=UTF-8\r\n"
                                L"Connection: Keep-Alive\r\n";
    lastStatus_ = Send(L"POST");
    if (lastStatus_ == L"201")
        return ERROR_SUCCESS;
    lastServiceError_ = ParseServiceError(transport_.ResponseText());
    lastErrorBody_ = ReplyOrCause();
    return ERROR_CREATE_FAILED;
}

DWORD PicasaClient::SetAlbumAccess(const std::wstring& editLink, unsigned accessIndex)
{
    const std::string body = PatchBody("access", AccessWireNameA(accessIndex));
    CDataStorage buffer;
    buffer.Append(body.data(), uint32_t(body.size()));
    return PatchAlbum(editLink, buffer.Data(), buffer.Length());
}

DWORD PicasaClient::SetAlbumCommenting(const std::wstring& editLink, int flag)
{
    const std::string body = PatchBody("commentingEnabled", flag ? "true" : "false");
    CDataStorage buffer;
    buffer.Append(body.data(), uint32_t(body.size()));
    return PatchAlbum(editLink, buffer.Data(), buffer.Length());
}

// The edit link comes from the feed, and a change carries the token: it goes
// only to the photo server the program was pointed at.
bool PicasaClient::MayChange(const std::wstring& editLink)
{
    if (access_.IsPhotoServer(editLink))
        return true;
    lastStatus_.clear();
    lastOutcomeUnknown_ = false;
    lastErrorBody_ = texts_.Format(ServiceText::EditLinkElsewhere, {access_.PhotoServer(), editLink});
    return false;
}

std::wstring PicasaClient::SendPatch(const std::wstring& editLink, const void* bytes, uint32_t length,
                                    const std::wstring& ifMatch)
{
    transport_.url = editLink;
    transport_.ClearBody();
    if (bytes)
        transport_.SetBody(bytes, int32_t(length));
    transport_.requestHeaders = L"Content-Length: " + std::to_wstring(length) + L"\r\n" + access_.HeadersFor(transport_.url) +
                                L"Content-Type: application/xml\r\n"
                                L"If-Match: " + ifMatch + L"\r\n"
                                L"Connection: Keep-Alive\r\n";
    return Send(L"PATCH");
}

DWORD PicasaClient::PatchAlbum(const std::wstring& editLink, const void* bytes, uint32_t length)
{
    if (!MayChange(editLink))
        return ERROR_WRITE_FAULT;
    lastStatus_ = SendPatch(editLink, bytes, length, L"*");
    if (lastStatus_ == L"200")
        return ERROR_SUCCESS;
    lastErrorBody_ = ReplyOrCause();
    return ERROR_WRITE_FAULT;
}

std::wstring PicasaClient::AlbumChangesXml(const AlbumChanges& changes)
{
    std::wstring body = std::wstring(L"<entry xmlns='") + kAtomNs + L"'\n" + L"    xmlns:gphoto='" + kGphotoNs +
                        L"'>\n";
    if (changes.title)
        body += L"  <title type='text'>" + XmlElementText(*changes.title) + L"</title>\n";
    if (changes.summary)
        body += L"  <summary type='text'>" + XmlElementText(*changes.summary) + L"</summary>\n";
    if (changes.location)
        body += L"  <gphoto:location>" + XmlElementText(*changes.location) + L"</gphoto:location>\n";
    if (changes.access)
        body += L"  <gphoto:access>" + XmlElementText(*changes.access) + L"</gphoto:access>\n";
    if (changes.commentingEnabled)
        body += std::wstring(L"  <gphoto:commentingEnabled>") + (*changes.commentingEnabled ? L"true" : L"false") +
                L"</gphoto:commentingEnabled>\n";
    if (changes.timestampSeconds)
        body += L"  <gphoto:timestamp>" + std::to_wstring(static_cast<long long>(*changes.timestampSeconds * 1000)) +
                L"</gphoto:timestamp>\n";
    return body + L"</entry>\n";
}

std::wstring PicasaClient::AlbumVersion(const AlbumEntry& album)
{
    if (!album.etag.empty())
        return album.etag;
    // An edit link ends in the version it was given with: .../albumid/<id>/<version>.
    const std::wstring marker = L"/albumid/";
    const size_t at = album.editLink.rfind(marker);
    if (at == std::wstring::npos)
        return L"";
    const size_t idEnd = album.editLink.find(L'/', at + marker.size());
    if (idEnd == std::wstring::npos || idEnd + 1 >= album.editLink.size())
        return L"";
    std::wstring version = album.editLink.substr(idEnd + 1);
    version = version.substr(0, version.find_first_of(L"/?#"));
    return version.empty() ? L"" : L"\"" + version + L"\"";
}

DWORD PicasaClient::UpdateAlbum(const std::wstring& editLink, const std::wstring& version,
                                const AlbumChanges& changes)
{
    if (changes.Empty())
        return ERROR_SUCCESS;
    if (!MayChange(editLink))
        return ERROR_WRITE_FAULT;
    CUtf8Support utf8;
    const std::wstring entry = AlbumChangesXml(changes);
    if (!utf8.ToUtf8(entry.c_str()) || utf8.Count() == 0) {
        lastStatus_.clear();
        lastOutcomeUnknown_ = false;
        lastErrorBody_.clear();
        return ERROR_WRITE_FAULT;
    }
    // Without a known version the change would overwrite whatever is there;
    // "*" is what every other change sends, so the service decides alike.
    lastStatus_ = SendPatch(editLink, utf8.Data(), utf8.Count() - 1, version.empty() ? L"*" : version);
    if (lastStatus_ == L"200")
        return ERROR_SUCCESS;
    lastErrorBody_ = transport_.ResponseText();
    if (lastStatus_ == L"412")
        return ERROR_REVISION_MISMATCH;
    return lastStatus_ == L"404" ? ERROR_NOT_FOUND : ERROR_WRITE_FAULT;
}

DWORD PicasaClient::DeleteAlbum(const std::wstring& editLink)
{
    if (!MayChange(editLink))
        return ERROR_WRITE_FAULT;
    transport_.url = editLink;
    transport_.ClearBody();
    transport_.requestHeaders = access_.HeadersFor(editLink) + L"If-Match: *\r\nConnection: Keep-Alive\r\n";
    lastStatus_ = Send(L"DELETE");
    if (lastStatus_ == L"200")
        return ERROR_SUCCESS;
    lastErrorBody_ = ReplyOrCause();
    return ERROR_WRITE_FAULT;
}
