#pragma once
#include <cstddef>
#include <map>
#include <string>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpHandle.h"

// The WinHTTP session that the request engine, the uploads and the downloads
// each open requests on: the session handle and its time-outs, one connection
// handle per server, the request options they all want, and the fall-back to
// the user's browser proxy settings when a request cannot be sent.
class WinHttpSession
{
public:
    struct Timeouts
    {
        int resolve = 0; // no limit
        int connect = 60000;
        int send = 30000;
        int receive = 30000;
    };

    explicit WinHttpSession(std::wstring userAgent = L"WinHttpClient");
    virtual ~WinHttpSession();
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;

    // A request handle for `verb` on `url`, for the caller to close: HTTP/1.0
    // (kept alive by a Connection header), no redirects, the response
    // time-out and, with `acceptUntrusted`, the lenient certificate policy.
    // The time-outs go to the session first. Null, with GetLastError, when
    // the session, the URL or the connection fails; also null when the path
    // and query are longer than `longestObject`.
    HINTERNET OpenRequest(const wchar_t* verb, const std::wstring& url, const Timeouts& timeouts,
                          bool acceptUntrusted, size_t longestObject = size_t(-1));
    // Sends the head of `request`, announcing `totalLength` body bytes. When
    // it cannot go out the browser's proxy settings are tried: a
    // configuration script's answer is applied and the head sent again; a
    // named proxy is applied for the caller's next try. False, with the first
    // send's error in GetLastError, when the head did not go out.
    bool SendHead(HINTERNET request, const std::wstring& url, DWORD totalLength);

    const std::wstring& UserAgent() const { return userAgent_; }

protected:
    // The fall-back's platform calls. The strings that the first two return
    // are released with GlobalFree by the caller.
    // The user's browser proxy settings:
    virtual bool ReadProxyConfig(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config);
    // The browser's configuration script's answer for `url`:
    virtual bool FindProxyForUrl(const wchar_t* autoConfigUrl, const std::wstring& url, WINHTTP_PROXY_INFO& info);
    // Makes the request go through the given proxy:
    virtual bool ApplyProxy(HINTERNET request, const WINHTTP_PROXY_INFO& info);

private:
    bool ProxyFallback(HINTERNET request, const std::wstring& url, DWORD totalLength);
    HINTERNET Connection(const wchar_t* host, INTERNET_PORT port);

    std::wstring userAgent_;
    UniqueWinHttpHandle root_;
    // By "host:port"; WinHTTP keeps the sockets alive below them.
    std::map<std::wstring, UniqueWinHttpHandle> connections_;
};
