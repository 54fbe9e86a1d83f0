#include "service/PhotoServerAccess.h"

#include <windows.h>

#include "http/UrlText.h"

std::wstring TidyServerAddress(const std::wstring& address)
{
    const size_t first = address.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return L"";
    std::wstring text = address.substr(first, address.find_last_not_of(L' ') - first + 1);
    // "http://host/ /": the settings file's reader took blanks before a
    // trailing "/" away too.
    while (!text.empty() && (text.back() == L'/' || text.back() == L' '))
        text.pop_back();
    return text;
}

PhotoServerAccess::PhotoServerAccess(std::wstring photoServer, std::wstring token, bool acceptUntrustedCertificates)
    : photoServer_(TidyServerAddress(photoServer)), token_(std::move(token)),
      acceptUntrusted_(acceptUntrustedCertificates)
{
}

bool PhotoServerAccess::IsPhotoServer(const std::wstring& url) const
{
    return !photoServer_.empty() && SameOrigin(url, photoServer_);
}

std::wstring PhotoServerAccess::HeadersFor(const std::wstring& url) const
{
    if (token_.empty() || !IsPhotoServer(url))
        return L"";
    return L"Authorization: GoogleLogin auth=" + token_ + L"\r\n";
}

void PhotoServerAccess::SetToken(std::wstring token)
{
    ForgetToken();
    token_ = std::move(token);
}

void PhotoServerAccess::ForgetToken()
{
    if (!token_.empty())
        SecureZeroMemory(token_.data(), token_.size() * sizeof(wchar_t));
    token_.clear();
}
