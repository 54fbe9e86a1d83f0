#pragma once
#include <string>

// Where requests go and what they may carry: the photo server's address, the
// session's token and its certificate choice. The one place that decides
// which request gets the token: only one to the photo server's own scheme,
// host and port, so that the token never reaches another server (a picture
// host, a next or edit link that points elsewhere).

// A server address as requests are built from it: blanks around it and every
// trailing "/" dropped, so that paths can be appended.
std::wstring TidyServerAddress(const std::wstring& address);

class PhotoServerAccess
{
public:
    PhotoServerAccess() = default;
    PhotoServerAccess(std::wstring photoServer, std::wstring token, bool acceptUntrustedCertificates);

    const std::wstring& PhotoServer() const { return photoServer_; }
    const std::wstring& Token() const { return token_; }
    // False in public-only mode and before a sign-in.
    bool HasToken() const { return !token_.empty(); }
    bool AcceptsUntrustedCertificates() const { return acceptUntrusted_; }

    // True when `url` is on the photo server (same scheme, host in any case,
    // and port).
    bool IsPhotoServer(const std::wstring& url) const;
    // The extra header lines for a request to `url`: the authorization line
    // when a token is held and `url` is on the photo server, else none.
    std::wstring HeadersFor(const std::wstring& url) const;

    void SetPhotoServer(const std::wstring& address) { photoServer_ = TidyServerAddress(address); }
    void SetToken(std::wstring token);
    // The token's characters are overwritten before they are let go.
    void ForgetToken();
    void SetAcceptUntrustedCertificates(bool accept) { acceptUntrusted_ = accept; }

private:
    std::wstring photoServer_;
    std::wstring token_;
    bool acceptUntrusted_ = false;
};
