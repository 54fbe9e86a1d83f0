#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "base/CLogSupport.h"
#include "http/WinHttpClient.h"
#include "service/AlbumEntry.h"
#include "service/PhotoEntry.h"

class FeedDocument;
class FeedNodes;

// The one client of the account service (ClientLogin) and the photo API.
// Every operation sends its requests synchronously and returns a Win32 error
// code; the status text and body of the last failure stay readable.
class PicasaClient
{
public:
    // Timing of requests or XML loads, in milliseconds.
    struct Statistics
    {
        DWORD start = 0;
        DWORD last = 0;
        DWORD min = 0xFFFFFFFFu;
        DWORD max = 0;
        DWORD sum = 0;
        uint64_t count = 0;

        void Add(DWORD elapsed);
    };

    // Base URLs are scheme://host[:port].
    explicit PicasaClient(std::wstring accountServer = L"https://www.google.com",
                          std::wstring photoServer = L"https://picasaweb.google.com");
    virtual ~PicasaClient();
    PicasaClient(const PicasaClient&) = delete;
    PicasaClient& operator=(const PicasaClient&) = delete;

    WinHttpClient& Transport() { return transport_; }
    void SetLog(CLogSupport* log) { log_ = log; }
    CLogSupport* GetLog() const { return log_; }

    // Narrow texts are in the user's code page.
    DWORD Login(const char* account, const char* password, const char* source);
    DWORD OpenPublicSession(const char* account, const char* token);
    void Logout();

    bool IsSignedIn() const { return signedIn_ != 0; }
    std::string GetAccountName() const { return accountName_; }
    std::wstring GetAuthToken() const { return authToken_; }
    std::wstring GetLastStatus() const { return lastStatus_; }
    std::wstring GetLastServiceError() const { return lastServiceError_; }
    std::wstring GetLastErrorBody() const { return lastErrorBody_; }
    std::vector<AlbumEntry>& GetAlbums() { return albums_; }
    int64_t GetQuotaLimit() const { return quotaLimit_; }
    int64_t GetQuotaCurrent() const { return quotaCurrent_; }
    void WriteLog(const std::wstring& text);

    DWORD LoadAlbums();
    // Never null; empty when the request failed (see GetLastStatus).
    std::unique_ptr<std::vector<PhotoEntry>> LoadPhotos(const std::wstring& albumId, int skipDetails);
    DWORD LoadPhotoDetails(const std::wstring& albumId, const std::wstring& photoId, PhotoEntry& entry);

    DWORD CreateAlbum(const std::wstring& title, const std::wstring& summary, const std::wstring& location,
                      const std::wstring& access, int64_t timeSeconds);
    DWORD SetAlbumAccess(const std::wstring& editLink, unsigned accessIndex);
    DWORD SetAlbumCommenting(const std::wstring& editLink, int flag);
    DWORD PatchAlbum(const std::wstring& editLink, const void* bytes, uint32_t length);
    DWORD DeleteAlbum(const std::wstring& editLink);

    // Value of the first "error=" line (key in any case), or "".
    static std::wstring ParseServiceError(const std::wstring& reply);

    const Statistics& RequestStatistics() const { return requestStats_; }
    const Statistics& XmlLoadStatistics() const { return xmlLoadStats_; }
    uint64_t RequestCount() const { return requestStats_.count; }
    uint64_t XmlLoadCount() const { return xmlLoadStats_.count; }

    // The body of an album creation for these values (UTF-16, before UTF-8).
    static std::wstring AlbumEntryXml(const std::wstring& title, const std::wstring& summary,
                                      const std::wstring& location, const std::wstring& access,
                                      int64_t timeSeconds);
    // "/s0" before the file name of a content URL.
    static std::wstring FullSizeUrl(const std::wstring& contentUrl);

private:
    // Sends with the transport's url, body and headers already set; counts the
    // request and returns the status text ("" when the transport failed).
    std::wstring Send(const wchar_t* method);
    std::wstring AuthorizationLine() const;
    std::wstring UserFeedUrl() const;
    std::wstring AccountW() const;
    // Creates the document and loads the reply, counting the load. False
    // when the document could not be created (`created` tells which).
    bool LoadReply(FeedDocument& document, bool& created);
    void ReadMedia(const FeedNodes& children, PhotoEntry& entry);
    void WriteReport(const std::wstring& line);
    void WriteTimes(const wchar_t* countFormat, const std::wstring& timeLabel, Statistics stats);
    // "Login : Success, Account = <name>、time = <seconds> [Sec]", narrow.
    void WriteSignInLine(double seconds);

    int32_t signedIn_ = 0;
    std::string accountName_;
    std::wstring authToken_;
    int64_t quotaLimit_ = 0;
    int64_t quotaCurrent_ = 0;
    std::vector<AlbumEntry> albums_;
    std::wstring lastStatus_;
    std::wstring lastServiceError_;
    std::wstring lastErrorBody_;
    CLogSupport* log_ = nullptr;
    Statistics requestStats_;
    Statistics xmlLoadStats_;
    WinHttpClient transport_;
    std::wstring accountServer_;
    std::wstring photoServer_;
};
