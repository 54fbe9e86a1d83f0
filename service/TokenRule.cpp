#include "service/TokenRule.h"

#include "http/UrlText.h"

std::wstring PreviewRequestHeaders(const std::wstring& url, const std::wstring& photoServer, const std::wstring& token)
{
    if (token.empty() || photoServer.empty() || !SameOrigin(url, photoServer))
        return L"";
    return L"Authorization: GoogleLogin auth=" + token + L"\r\n";
}
