#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpAbort.h"
#include "http/WinHttpLine.h"
#include "http/WinHttpSession.h"

// One GET at a time whose body goes piece by piece to the caller instead of
// into memory: downloads of any size. One object per thread; its session
// keeps connections alive from one request to the next.
//
// An object owned by a shared_ptr makes its requests on a WinHttpLine, and
// Get returns as soon as Abort is called, even while the line's thread
// still waits on a server that stalls (until the server lets go or the
// receive time-out ends it); the request left behind ends by itself, on that
// thread, and calls no sink again. Otherwise the requests go out on the
// caller's thread.
class WinHttpDownload : public std::enable_shared_from_this<WinHttpDownload>
{
public:
    // Requests go out on `session` (a new one when none is given).
    explicit WinHttpDownload(std::unique_ptr<WinHttpSession> session = nullptr);
    ~WinHttpDownload();
    WinHttpDownload(const WinHttpDownload&) = delete;
    WinHttpDownload& operator=(const WinHttpDownload&) = delete;

    int connectTimeout = 60000;
    int receiveTimeout = 30000;
    // As WinHttpClient's: an untrusted certificate is accepted when set.
    bool acceptUntrustedCertificates = false;

    // Called once the reply's head is in: its status and announced length
    // (-1 when it announces none). False stops the download.
    using HeadSink = std::function<bool(int status, int64_t announcedLength)>;
    // Called with each piece of the body in order. False stops the download.
    using PieceSink = std::function<bool(const uint8_t* bytes, size_t length)>;

    // GETs `url` with the extra header lines `headers` (each ended by CR LF).
    // True when the whole body (as long as announced, where announced) went
    // to the sinks; false on a failure, a stop by a sink, a body shorter than
    // announced or an Abort. The body of any status is handed on; the head
    // sink sees the status first.
    bool Get(const std::wstring& url, const std::wstring& headers, const HeadSink& onHead, const PieceSink& onPiece);
    // From any thread: the request under way stops at its next step (its
    // handle stays its own thread's), a Get waiting for it on the object's
    // thread returns false at once, and every later one fails at once until
    // ClearAbort.
    void Abort();
    void ClearAbort() { abort_.Clear(); }
    bool Aborted() const { return abort_.Aborted(); }

    // The WinHTTP error of the call that failed the last request (0 when
    // none did): 12002 time-out, 12029 cannot connect, 12030 cut off ...
    DWORD LastError() const { return lastError_; }
    // Bytes of the body received by the last Get.
    int64_t Received() const { return received_; }

private:
    bool GetOnLine(const std::wstring& url, const std::wstring& headers, const HeadSink& onHead,
                   const PieceSink& onPiece);
    bool Run(const wchar_t* verb, const std::wstring& url, const std::wstring& headers, const HeadSink& onHead,
             const PieceSink* onPiece);
    bool Fail();

    std::unique_ptr<WinHttpSession> session_;
    WinHttpAbort abort_;
    // Written by a request that may be left behind.
    std::atomic<DWORD> lastError_{0};
    std::atomic<int64_t> received_{0};
    WinHttpLine line_; // the requests' own thread, once started
};
