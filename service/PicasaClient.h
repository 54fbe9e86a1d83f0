#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "base/CLogSupport.h"
#include "base/SysString.h"
#include "http/WinHttpClient.h"
#include "http/WinHttpUpload.h"
#include "service/AlbumActionTarget.h"
#include "service/AlbumChanges.h"
#include "service/AlbumEntry.h"
#include "service/PhotoChanges.h"
#include "service/PhotoEntry.h"
#include "service/PhotoServerAccess.h"
#include "service/ServiceDefaults.h"
#include "service/ServiceTexts.h"
#include "service/TransportPool.h"
#include "service/UploadRules.h"

class FeedDocument;
class PhotoLoadProgress;

// The one client of the account service (ClientLogin) and the photo API.
// Every operation sends its requests synchronously and returns a Win32 error
// code; the status text and body of the last failure stay readable.
class PicasaClient : public AlbumActionTarget
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
    explicit PicasaClient(std::wstring accountServer = kDefaultAccountServer,
                          std::wstring photoServer = kDefaultPhotoServer);
    ~PicasaClient() override;
    PicasaClient(const PicasaClient&) = delete;
    PicasaClient& operator=(const PicasaClient&) = delete;

    WinHttpClient& Transport() { return transport_; }
    // Where the next sign-in and every request after it go; the session in
    // hand, if any, is not touched.
    void SetServers(const std::wstring& accountServer, const std::wstring& photoServer)
    {
        accountServer_ = TidyServerAddress(accountServer);
        access_.SetPhotoServer(photoServer);
    }
    // Whether a certificate the system does not trust is accepted, for every
    // request of the session (the previews' and the backup's too).
    void SetAcceptUntrustedCertificates(bool accept);
    void SetLog(CLogSupport* log) { log_ = log; }
    CLogSupport* GetLog() const { return log_; }

    // Narrow texts are in the user's code page. The password goes into the
    // form as UTF-8 straight from UTF-16, so no character of it is lost to
    // the code page; the narrow form is converted first.
    DWORD Login(const char* account, const wchar_t* password, const char* source);
    DWORD Login(const char* account, const char* password, const char* source);
    DWORD OpenPublicSession(const char* account, const char* token);
    void Logout();

    bool IsSignedIn() const { return signedIn_ != 0; }
    std::string GetAccountName() const { return accountName_; }
    // The photo server, the token and the certificate choice: what a request
    // made outside the client (a preview, a backup's file) goes out with.
    const PhotoServerAccess& Access() const { return access_; }
    const std::wstring& GetAccountServer() const { return accountServer_; }
    std::wstring GetLastStatus() const { return lastStatus_; }
    std::wstring GetLastServiceError() const { return lastServiceError_; }
    std::wstring GetLastErrorBody() const { return lastErrorBody_; }
    // Why the last request got no reply at all, naming its host (the name
    // was not found, the connection was refused, ...); empty when a reply
    // came. A change or a feed that failed so has it as its error body too.
    std::wstring GetLastFailureCause() const { return lastFailureCause_; }
    // The texts this client shows, in the program's language.
    ServiceTexts& Texts() { return texts_; }
    const ServiceTexts& Texts() const { return texts_; }
    // True when the last change was sent but no complete reply came back, so
    // whether the service made it is not known (a refresh shows it).
    bool IsLastOutcomeUnknown() const { return lastOutcomeUnknown_; }
    std::vector<AlbumEntry>& GetAlbums() { return albums_; }
    int64_t GetQuotaLimit() const { return quotaLimit_; }
    int64_t GetQuotaCurrent() const { return quotaCurrent_; }
    void WriteLog(const std::wstring& text) override;

    // A list feed comes in pages: the album list and the photo list follow
    // each page's next link until a page has none, or names a page already
    // read; each page is a request and an XML load. A next link to another
    // server than the photo server fails the load (the token stays home).

    // The most pages and entries one feed may have, whatever its next links
    // say; a feed that gives its total is held to that.
    static constexpr size_t kMostFeedPages = 2000;
    static constexpr size_t kMostFeedEntries = 200000;

    // 30 also for a "200" whose reply is not a readable feed, or a page
    // after the first that cannot be read; the reply is then the last error
    // body and the status stays "200".
    DWORD LoadAlbums();
    // Never null; empty when the request failed. `result`, when given, tells
    // an empty album (0) from a list that could not be loaded (30) and from
    // a load stopped through `progress` (1223). The details go out over up
    // to ParallelRequests() connections at once; the entries, their values
    // and the statistics and log lines are those of one request after the
    // other.
    // `originals` asks the feed for the photos' originals (imgmax=d): each
    // photo's media address is then its content address as the feed gives it.
    std::unique_ptr<std::vector<PhotoEntry>> LoadPhotos(const std::wstring& albumId, int skipDetails,
                                                        DWORD* result = nullptr,
                                                        PhotoLoadProgress* progress = nullptr,
                                                        bool originals = false);
    DWORD LoadPhotoDetails(const std::wstring& albumId, const std::wstring& photoId, PhotoEntry& entry);

    // How many photo details requests may be under way at once; 1 sends
    // them one after another on the client's own connection. Values below 1
    // count as 1.
    void SetParallelRequests(int count) { parallelRequests_ = count < 1 ? 1 : count; }
    int ParallelRequests() const { return parallelRequests_; }

    DWORD CreateAlbum(const std::wstring& title, const std::wstring& summary, const std::wstring& location,
                      const std::wstring& access, int64_t timeSeconds);
    DWORD SetAlbumAccess(const std::wstring& editLink, unsigned accessIndex) override;
    DWORD SetAlbumCommenting(const std::wstring& editLink, int flag) override;
    // A change whose edit link is not on the photo server given at
    // construction (scheme, host and port) is not sent: it fails with 29
    // and an empty status, and says why in the last error body.
    DWORD PatchAlbum(const std::wstring& editLink, const void* bytes, uint32_t length);
    DWORD DeleteAlbum(const std::wstring& editLink) override;
    // One partial update of the changed fields, sent only if the album is
    // still at `version` (If-Match); 1306 (ERROR_REVISION_MISMATCH) when the
    // service says it was changed since ("412"), 1168 (ERROR_NOT_FOUND)
    // when it says the album is not there ("404"), 29 on any other failure,
    // and 0 without a request when nothing is changed. Same server rule as
    // PatchAlbum.
    DWORD UpdateAlbum(const std::wstring& editLink, const std::wstring& version, const AlbumChanges& changes);

    // One partial update of a photo's changed fields at its edit link, sent
    // only if the photo is still at its version (If-Match, PhotoVersion);
    // results as UpdateAlbum's, and the same server rule. Changed: `photo`
    // takes the reply's entry (its new version, fields and edit link).
    DWORD UpdatePhoto(PhotoEntry& photo, const PhotoChanges& changes);
    // One DELETE of the photo at its version; results as UpdatePhoto's.
    DWORD DeletePhoto(const PhotoEntry& photo);
    // Reads the photo's entry again (its edit link without the version):
    // `photo` takes its fields and version. 0, else as UpdatePhoto.
    DWORD ReloadPhoto(PhotoEntry& photo);
    // The body of a photo update: only the changed fields (UTF-16, before
    // UTF-8); texts escaped as in AlbumEntryXml.
    static std::wstring PhotoChangesXml(const PhotoChanges& changes);
    // The version to send in If-Match: the entry's etag, else the version
    // at the end of its edit link (".../photoid/<id>/<version>", quoted),
    // else "" (unknown).
    static std::wstring PhotoVersion(const PhotoEntry& photo);

    // One file POSTed to the album's feed, read and sent in pieces, with
    // its type from its extension and its name as the Slug; never sent
    // twice. Uploaded: `photo` is the new photo from the reply's entry.
    // `progress` hears the bytes sent and the file's size after each piece.
    // The status and text of a refusal stay in the last status and error
    // body; OutcomeUnknown also sets IsLastOutcomeUnknown.
    UploadEnd UploadFile(const std::wstring& albumId, const std::wstring& path, PhotoEntry& photo,
                         const std::function<void(uint64_t sent, uint64_t total)>& progress = nullptr);
    // The feed URL an album's uploads go to.
    std::wstring AlbumFeedUrl(const std::wstring& albumId) const;

    // From any thread: stops the requests under way (the client's own and
    // the details requests') and fails every request after them, without
    // tries again, until ResumeRequests. A load stopped this way ends as
    // its caller's progress says (cancelled).
    void AbortRequests();
    void ResumeRequests();

    // Value of the first "error=" line (key in any case), or "".
    static std::wstring ParseServiceError(const std::wstring& reply);

    const Statistics& RequestStatistics() const { return requestStats_; }
    uint64_t RequestCount() const { return requestStats_.count; }
    uint64_t XmlLoadCount() const { return xmlLoadStats_.count; }

    // The body of an album creation for these values (UTF-16, before UTF-8);
    // texts escaped, and characters XML cannot hold left out (the service
    // refuses the whole entry for one of them).
    static std::wstring AlbumEntryXml(const std::wstring& title, const std::wstring& summary,
                                      const std::wstring& location, const std::wstring& access,
                                      int64_t timeSeconds);
    // The body of an album update: only the changed fields, texts as in
    // AlbumEntryXml (UTF-16, before UTF-8).
    static std::wstring AlbumChangesXml(const AlbumChanges& changes);
    // The version to send in If-Match: the entry's etag as the feed gave
    // it, else the version at the end of its edit link
    // (".../albumid/<id>/<version>", quoted), else "" (unknown).
    static std::wstring AlbumVersion(const AlbumEntry& album);

private:
    // How a walk over the pages of a feed ended.
    enum class FeedWalk
    {
        Complete,
        Failed,    // lastStatus_ and lastErrorBody_ say why
        NoParser,  // no XML parser could be made
        Cancelled, // asked to stop between pages
    };
    // What one photo details request gave, kept until it is taken into the
    // client (statistics, status, log) in entry order.
    struct DetailsReply
    {
        DWORD requestMs = 0;
        bool parsed = false;
        DWORD loadMs = 0;
        std::wstring status;
        bool noParser = false;
        std::wstring noParserText; // the reply, when no parser could be made
    };

    // Sends with the transport's url, body and headers already set; counts the
    // request and returns the status text ("" when the transport failed).
    std::wstring Send(const wchar_t* method);
    // The reply's text, or why there was none.
    std::wstring ReplyOrCause() const;
    // Reads the feed at `url` and each page its next links lead to, handing
    // each loaded page to `page`, which says how many entries it held.
    // Fails past the pages and entries that the first page's total allows
    // (at most kMostFeedPages and kMostFeedEntries).
    FeedWalk WalkFeed(std::wstring url, const std::function<size_t(const FeedDocument&)>& page,
                      PhotoLoadProgress* progress);
    // The details request of one photo over `transport`, into `entry` and
    // `reply`; touches nothing else, so that several can run at once.
    // `unread` stands in the entry's time until its details are read.
    static void FetchDetails(WinHttpClient& transport, const std::wstring& url, const std::wstring& headers,
                             const std::wstring& unread, PhotoEntry& entry, DetailsReply& reply);
    // Counts and logs a details reply as LoadPhotoDetails does; its result.
    DWORD TakeDetails(const DetailsReply& reply);
    std::wstring DetailsUrl(const std::wstring& albumId, const std::wstring& photoId) const;
    // The details of every entry; false when stopped through `progress`.
    bool LoadAllDetails(const std::wstring& albumId, std::vector<PhotoEntry>& photos, PhotoLoadProgress* progress);
    std::wstring UserFeedUrl() const;
    std::wstring AccountW() const;
    // Creates the document and loads the reply, counting the load. False
    // when the document could not be created (`created` tells which).
    bool LoadReply(FeedDocument& document, bool& created);
    // LoadReply, and the document is an Atom feed.
    bool LoadFeed(FeedDocument& document, bool& created);
    // Fails a change whose edit link is on another server; true when it may go.
    bool MayChange(const std::wstring& editLink);
    // The PATCH of PatchAlbum with `ifMatch` as the If-Match value; the status.
    std::wstring SendPatch(const std::wstring& editLink, const void* bytes, uint32_t length,
                           const std::wstring& ifMatch);
    // The status of a sent change as a result: 0 for "200", 1306 for
    // "412", 1168 for "404", else 29; the reply stays the last error body.
    DWORD ChangeResult();
    // Takes the photo entry of the last reply into `photo`; false when the
    // reply holds none.
    bool ReadEntryReply(PhotoEntry& photo);
    void WriteReport(const std::wstring& line);
    void WriteTimes(const wchar_t* countFormat, const std::wstring& timeLabel, Statistics stats);
    // "Login : Success, Account = <name>、time = <seconds> [Sec]", narrow.
    void WriteSignInLine(double seconds);

    int32_t signedIn_ = 0;
    std::string accountName_;
    int64_t quotaLimit_ = 0;
    int64_t quotaCurrent_ = 0;
    std::vector<AlbumEntry> albums_;
    std::wstring lastStatus_;
    std::wstring lastServiceError_;
    std::wstring lastErrorBody_;
    std::wstring lastFailureCause_;
    bool lastOutcomeUnknown_ = false;
    ServiceTexts texts_;
    CLogSupport* log_ = nullptr;
    Statistics requestStats_;
    Statistics xmlLoadStats_;
    WinHttpClient transport_;
    // The uploads' own request, a file sent in pieces.
    WinHttpUpload upload_;
    // The system string that the last feed reply was loaded from, kept for
    // the next one unless it was larger than this many characters.
    SysString replyText_;
    static constexpr size_t kLargestKeptReply = 8u << 20;
    std::wstring accountServer_;
    PhotoServerAccess access_;
    int parallelRequests_ = kDefaultParallelRequests;
    // The details requests' own transports (made when first needed; the
    // pool itself from the start, so that an abort from another thread
    // always finds it).
    std::unique_ptr<TransportPool> detailsPool_ = std::make_unique<TransportPool>();
};
