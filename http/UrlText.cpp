#include "http/UrlText.h"

#include "base/PercentEncoding.h"
#include "base/Utf8Text.h"

#include <windows.h>
#include <winhttp.h>

#include <vector>

namespace {

struct Origin
{
    INTERNET_SCHEME scheme = INTERNET_SCHEME(0);
    std::wstring host;
    INTERNET_PORT port = 0;
};

bool ReadOrigin(const std::wstring& url, Origin& origin)
{
    if (url.empty())
        return false;
    std::vector<wchar_t> host(url.size() + 1, L'\0');
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = DWORD(host.size());
    if (!WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts))
        return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    origin.scheme = parts.nScheme;
    origin.host.assign(host.data());
    origin.port = parts.nPort; // the scheme's default when none is written
    return !origin.host.empty();
}

} // namespace

std::wstring PathSegment(const std::wstring& text)
{
    const std::string utf8 = Utf8FromWide(text);
    const bool onlyDots = utf8 == "." || utf8 == "..";
    const std::string segment = PercentEncode(utf8, onlyDots ? "-_~@!$()*,;:" : "-._~@!$()*,;:");
    return std::wstring(segment.begin(), segment.end());
}

bool SameOrigin(const std::wstring& a, const std::wstring& b)
{
    Origin first, second;
    if (!ReadOrigin(a, first) || !ReadOrigin(b, second))
        return false;
    return first.scheme == second.scheme && first.port == second.port &&
           CompareStringOrdinal(first.host.c_str(), -1, second.host.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsWebAddress(const std::wstring& url)
{
    // The scheme as written, not as the parser reads it: the shell is given
    // the text itself.
    const bool http = url.size() > 7 && CompareStringOrdinal(url.c_str(), 7, L"http://", 7, TRUE) == CSTR_EQUAL;
    const bool https = url.size() > 8 && CompareStringOrdinal(url.c_str(), 8, L"https://", 8, TRUE) == CSTR_EQUAL;
    if (!http && !https)
        return false;
    for (wchar_t c : url)
        if (c <= L' ' || c == L'\\' || c == 0x7F)
            return false;
    Origin origin;
    return ReadOrigin(url, origin);
}

std::wstring UrlHost(const std::wstring& url)
{
    Origin origin;
    return ReadOrigin(url, origin) ? origin.host : L"";
}
