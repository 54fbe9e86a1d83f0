#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpAbort.h"
#include "http/WinHttpLine.h"
#include "http/WinHttpSession.h"

// One synchronous HTTP or HTTPS request at a time on WinHTTP: the caller sets
// the URL, an extra header block and a body, calls Send with a method name,
// then reads the status code text and the body decoded to UTF-16.
class WinHttpClient
{
public:
    using Timeouts = WinHttpSession::Timeouts;

    // Requests go out on `session` (a new one when none is given).
    explicit WinHttpClient(std::unique_ptr<WinHttpSession> session = nullptr);
    virtual ~WinHttpClient();
    WinHttpClient(const WinHttpClient&) = delete;
    WinHttpClient& operator=(const WinHttpClient&) = delete;

    // Absolute URL of the next request; kept until replaced.
    std::wstring url;
    // Extra header lines, each ended by CR LF, added to every request.
    std::wstring requestHeaders;
    // Applied to the session on every Send.
    Timeouts timeouts;
    // Certificates are verified unless this is set; then an untrusted
    // issuer, a wrong host name and an expired certificate are accepted.
    bool acceptUntrustedCertificates = false;
    // Replies are made text (ResponseText) too, and a GET whose HTML page
    // was cut short is tried again. Off for pictures: their bytes alone are
    // read, and a converted copy of them would be work for nothing.
    bool textReplies = true;
    // The longest reply body taken: a longer one fails Send (LastError
    // ERROR_FILE_TOO_LARGE), one that announces a longer length before its
    // body is read, and the room grown for it is given back.
    uint32_t largestReply = UINT32_MAX;

    // Replaces the body with a copy of `length` bytes. A null pointer leaves
    // the old body in place and returns false.
    bool SetBody(const void* bytes, int32_t length);
    // Zeroes the body before releasing it.
    void ClearBody();
    int32_t BodyLength() const;

    // "GET", "POST", "PATCH" or "DELETE" in any case. True when a response
    // was received and read in full; callers judge the outcome by StatusCode.
    // Redirects are not followed: a 3xx is the status. Only a GET is tried
    // more than once; a change is sent at most once.
    bool Send(const wchar_t* method);
    // True when the last Send sent a change but no complete reply came back:
    // the server may or may not have acted on it.
    bool OutcomeUnknown() const;
    // The WinHTTP error number (GetLastError) of the call that failed the
    // last Send before a reply came (12007 name not resolved, 12029 cannot
    // connect, 12002 time-out, 12175 certificate ...); 0 when it failed
    // without one or did not fail.
    DWORD LastError() const;

    // From any thread: Send returns false at once, even while the server
    // stalls (LastError ERROR_WINHTTP_OPERATION_CANCELLED); the request
    // under way is left to end by itself on the client's line and is not
    // tried again, and every later Send fails at once until ClearAbort.
    void Abort();
    void ClearAbort() { abort_->Clear(); }
    bool Aborted() const { return abort_->Aborted(); }

    std::wstring StatusCode() const;
    // The text of the last response, until the next Send (empty when
    // textReplies is off).
    const std::wstring& ResponseText() const;

    const std::wstring& ResponseHeaders() const;
    const std::wstring& ResponseCharset() const;
    const uint8_t* ResponseBytes() const;
    // What the client calls itself to servers (the uploads say the same).
    const std::wstring& UserAgent() const;
    uint32_t ResponseLength() const;

private:
    struct Exchange;

    std::shared_ptr<Exchange> x_; // a request left behind keeps its own
    std::shared_ptr<WinHttpAbort> abort_;
    WinHttpLine line_;
};
