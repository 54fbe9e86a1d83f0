#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpClient.h"
#include "http/WinHttpAbort.h"
#include "http/WinHttpLine.h"
#include "http/WinHttpSession.h"

// One file POSTed as the body of one request on WinHTTP, read and written in
// pieces so that a file of any size needs no more memory than one piece.
// An upload is a change: it is sent once and never again.
class WinHttpUpload
{
public:
    enum class Outcome {
        Replied,        // a whole reply came back; judge it by StatusCode
        NotSent,        // nothing, or not all of the body, reached the server
        OutcomeUnknown, // the whole body went out but no whole reply came back
        Cancelled,      // Abort stopped it before all of the body went out
    };

    // Bytes of the file read and written at a time: few enough calls that a
    // file goes out about as fast as in one piece (each write costs a round
    // through Wine's WinHTTP), little enough memory for a file of any size.
    static constexpr DWORD kPieceSize = 1024 * 1024;

    // Requests go out on `session` (a new one when none is given).
    explicit WinHttpUpload(std::unique_ptr<WinHttpSession> session = nullptr);
    ~WinHttpUpload();
    WinHttpUpload(const WinHttpUpload&) = delete;
    WinHttpUpload& operator=(const WinHttpUpload&) = delete;

    // Absolute URL of the POST.
    std::wstring url;
    // Extra header lines, each ended by CR LF (Content-Type, Slug, the
    // token); Content-Length is the file's size and is added here.
    std::wstring requestHeaders;
    WinHttpClient::Timeouts timeouts;
    bool acceptUntrustedCertificates = false;
    // Called after every piece with the bytes written so far and the total.
    std::function<void(uint64_t sent, uint64_t total)> onProgress;

    // POSTs the file at `path`. A file that cannot be opened or that changes
    // size while it is read fails as NotSent with its error in LastError.
    Outcome SendFile(const std::wstring& path);

    // From any thread: SendFile returns at once, even while the server
    // stalls; a body not yet all written ends as Cancelled (one all written
    // as OutcomeUnknown). The request under way is left to end by itself: it
    // writes no further piece, its request is closed short and the server
    // keeps nothing of it. Every later SendFile fails at once until
    // ClearAbort.
    void Abort();
    void ClearAbort() { abort_->Clear(); }
    bool Aborted() const { return abort_->Aborted(); }

    const std::wstring& StatusCode() const;
    // The reply's body decoded from UTF-8.
    const std::wstring& ResponseText() const;
    const std::wstring& ResponseHeaders() const;
    // The Win32 or WinHTTP error of the call that failed; 0 when none did.
    DWORD LastError() const;
    uint64_t BytesSent() const;

private:
    struct Transfer;

    std::shared_ptr<Transfer> x_; // a request left behind keeps its own
    std::shared_ptr<WinHttpAbort> abort_;
    WinHttpLine line_;
};
