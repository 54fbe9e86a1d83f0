#include "http/WinHttpSession.h"

#include <vector>

WinHttpSession::WinHttpSession(std::wstring userAgent) : userAgent_(std::move(userAgent)) {}

WinHttpSession::~WinHttpSession()
{
    // Connections before the session that holds them.
    connections_.clear();
}

HINTERNET WinHttpSession::Connection(const wchar_t* host, INTERNET_PORT port)
{
    const std::wstring origin = std::wstring(host) + L":" + std::to_wstring(port);
    auto found = connections_.find(origin);
    if (found != connections_.end())
        return found->second.get();
    UniqueWinHttpHandle connection(WinHttpConnect(root_.get(), host, port, 0));
    if (!connection)
        return nullptr;
    return connections_.emplace(origin, std::move(connection)).first->second.get();
}

HINTERNET WinHttpSession::OpenRequest(const wchar_t* verb, const std::wstring& url, const Timeouts& timeouts,
                                      bool acceptUntrusted, size_t longestObject)
{
    if (!root_) {
        root_.reset(WinHttpOpen(userAgent_.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0));
        if (!root_)
            return nullptr;
    }
    WinHttpSetTimeouts(root_.get(), timeouts.resolve, timeouts.connect, timeouts.send, timeouts.receive);

    std::vector<wchar_t> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = DWORD(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = DWORD(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = DWORD(extra.size());
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts))
        return nullptr;
    const std::wstring object = std::wstring(path.data()) + extra.data();
    if (object.size() > longestObject) {
        SetLastError(ERROR_WINHTTP_INVALID_URL);
        return nullptr;
    }
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    const HINTERNET connection = Connection(host.data(), parts.nPort);
    if (!connection)
        return nullptr;
    // Asked as HTTP/1.0 so that the server frames its reply with a length the
    // body is checked against: WinHTTP decodes chunked replies out of sight
    // and, on Wine, takes a connection closed before the last chunk for the end.
    UniqueWinHttpHandle request(WinHttpOpenRequest(connection, verb, object.c_str(), L"HTTP/1.0", WINHTTP_NO_REFERER,
                                                   WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return nullptr;

    // WinHTTP on Windows waits for the response as long as the receive
    // time-out; Wine keeps that wait apart, so give it the same value.
    DWORD responseTimeout = DWORD(timeouts.receive);
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof(responseTimeout));
    if (secure && acceptUntrusted) {
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                      SECURITY_FLAG_IGNORE_CERT_DATE_INVALID; // 0x3100
        WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
    }
    // The sign-in token rides in the header block: a redirect must not carry
    // it to another host, so a 3xx is handed back as the status it is.
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof(noRedirects)))
        return nullptr;
    return request.release();
}

bool WinHttpSession::SendHead(HINTERNET request, const std::wstring& url, DWORD totalLength)
{
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, totalLength, 0))
        return true;
    const DWORD sendError = GetLastError(); // before the fall-back's own calls
    if (ProxyFallback(request, url, totalLength))
        return true;
    SetLastError(sendError);
    return false;
}

bool WinHttpSession::ReadProxyConfig(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config)
{
    return WinHttpGetIEProxyConfigForCurrentUser(&config) != FALSE;
}

bool WinHttpSession::FindProxyForUrl(const wchar_t* autoConfigUrl, const std::wstring& url, WINHTTP_PROXY_INFO& info)
{
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP;
    options.lpszAutoConfigUrl = autoConfigUrl;
    options.fAutoLogonIfChallenged = TRUE;
    return WinHttpGetProxyForUrl(root_.get(), url.c_str(), &options, &info) != FALSE;
}

bool WinHttpSession::ApplyProxy(HINTERNET request, const WINHTTP_PROXY_INFO& info)
{
    WINHTTP_PROXY_INFO copy = info;
    return WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &copy, sizeof(copy)) != FALSE;
}

// True when the request head was sent again through a proxy named by the
// browser's configuration script.
bool WinHttpSession::ProxyFallback(HINTERNET request, const std::wstring& url, DWORD totalLength)
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!ReadProxyConfig(config))
        return false;
    bool sent = false;
    if (config.lpszAutoConfigUrl) {
        WINHTTP_PROXY_INFO info = {};
        if (FindProxyForUrl(config.lpszAutoConfigUrl, url, info)) {
            if (ApplyProxy(request, info))
                sent = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                                          totalLength, 0) != FALSE;
            if (info.lpszProxy)
                GlobalFree(info.lpszProxy);
            if (info.lpszProxyBypass)
                GlobalFree(info.lpszProxyBypass);
        }
    } else if (config.lpszProxy) {
        // Not sent again now: the caller's next try goes through this proxy.
        WINHTTP_PROXY_INFO info = {};
        info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        info.lpszProxy = config.lpszProxy;
        info.lpszProxyBypass = config.lpszProxyBypass;
        ApplyProxy(request, info);
    }
    if (config.lpszAutoConfigUrl)
        GlobalFree(config.lpszAutoConfigUrl);
    if (config.lpszProxy)
        GlobalFree(config.lpszProxy);
    if (config.lpszProxyBypass)
        GlobalFree(config.lpszProxyBypass);
    return sent;
}
