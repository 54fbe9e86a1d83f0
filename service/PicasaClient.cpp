#include "service/PicasaClient.h"

#include "base/MultimediaTimer.h"
#include "base/PercentEncoding.h"
#include "base/UserCodePage.h"
#include "base/Utf8Text.h"
#include "http/UrlText.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

// Form value: UTF-8 with every byte but the unreserved ones percent-encoded.
// The UTF-8 bytes are zeroed after use: for the password they are secret.
std::string FormValue(const std::wstring& text)
{
    std::string utf8;
    if (!Utf8FromWide(text, utf8))
        return "";
    std::string out = PercentEncode(utf8);
    SecureZeroMemory(utf8.data(), utf8.size());
    return out;
}

void Wipe(std::string& secret)
{
    if (!secret.empty())
        SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

void Wipe(std::wstring& secret)
{
    if (!secret.empty())
        SecureZeroMemory(&secret[0], secret.size() * sizeof(wchar_t));
    secret.clear();
}

// Rest of the first line (lines end at LF) that starts with `key`, compared
// ignoring case; false when there is none.
bool FindKeyLine(const std::wstring& text, const wchar_t* key, std::wstring& value)
{
    const size_t keyLength = std::wcslen(key);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        // A reply written with CR LF: the CR is not part of the value.
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.size() >= keyLength && _wcsnicmp(line.c_str(), key, keyLength) == 0) {
            value = line.substr(keyLength);
            return true;
        }
        if (end == text.size())
            break;
        start = end + 1;
    }
    return false;
}

std::wstring Format(const wchar_t* format, double value)
{
    wchar_t buffer[128];
    swprintf(buffer, 128, format, value);
    return buffer;
}

} // namespace

void PicasaClient::Statistics::Add(DWORD elapsed)
{
    sum += elapsed;
    ++count;
    last = elapsed;
    if (elapsed < min)
        min = elapsed;
    if (elapsed > max)
        max = elapsed;
}

PicasaClient::PicasaClient(std::wstring accountServer, std::wstring photoServer)
    : accountServer_(TidyServerAddress(accountServer)), access_(photoServer, L"", false)
{
}

void PicasaClient::SetAcceptUntrustedCertificates(bool accept)
{
    access_.SetAcceptUntrustedCertificates(accept);
    // The upload and the details requests take theirs from this transport.
    transport_.acceptUntrustedCertificates = accept;
}

PicasaClient::~PicasaClient()
{
    Logout();

    WriteReport(L"Picasa Client Statistics");
    WriteTimes(L"\tHTTP Request = %d times", L"\tResponse Time", requestStats_);
    WriteTimes(L"\tLoad XML = %d times", L"\tLoad Time", xmlLoadStats_);
}

// The count line and the average, min and max lines of one statistics group;
// a group that never ran reports zeros, not the all-bits-set minimum.
void PicasaClient::WriteTimes(const wchar_t* countFormat, const std::wstring& timeLabel, Statistics stats)
{
    wchar_t line[128];
    swprintf(line, 128, countFormat, int(uint32_t(stats.count)));
    WriteReport(line);
    if (stats.count == 0) {
        stats.count = 1;
        stats.min = 0;
    }
    WriteReport(Format((timeLabel + L" (Average) = %.3f [Sec]").c_str(),
                       double(stats.sum) / double(stats.count) / 1000));
    WriteReport(Format((timeLabel + L" (Min)     = %.3f [Sec]").c_str(), stats.min / 1000.0));
    WriteReport(Format((timeLabel + L" (Max)     = %.3f [Sec]").c_str(), stats.max / 1000.0));
}

void PicasaClient::WriteReport(const std::wstring& line)
{
    WriteLog(line);
    OutputDebugStringW(line.c_str());
    OutputDebugStringW(L"\n");
}

void PicasaClient::WriteLog(const std::wstring& text)
{
    if (log_)
        log_->WriteWide(text);
}

std::wstring PicasaClient::AccountW() const
{
    return WideFromUserCodePage(accountName_.c_str());
}

// The account name is one path segment: a name holding "?", "#", "/" or
// ".." must not change the path or the query that the token is sent to.
std::wstring PicasaClient::UserFeedUrl() const
{
    return access_.PhotoServer() + L"/data/feed/api/user/" + PathSegment(AccountW());
}

std::wstring PicasaClient::Send(const wchar_t* method)
{
    requestStats_.start = MultimediaTime();
    transport_.Send(method);
    requestStats_.Add(MultimediaTime() - requestStats_.start);
    lastOutcomeUnknown_ = transport_.OutcomeUnknown();
    lastFailureCause_.clear();
    const DWORD error = transport_.LastError();
    if (transport_.StatusCode().empty() && error != 0)
        lastFailureCause_ = texts_.Format(TransportFailureText(error), {UrlHost(transport_.url), int64_t(error)});
    return transport_.StatusCode();
}

std::wstring PicasaClient::ReplyOrCause() const
{
    return lastStatus_.empty() && !lastFailureCause_.empty() ? lastFailureCause_ : transport_.ResponseText();
}

DWORD PicasaClient::Login(const char* account, const char* password, const char* source)
{
    std::wstring wide = WideFromUserCodePage(password);
    const DWORD result = Login(account, wide.c_str(), source);
    Wipe(wide);
    return result;
}

DWORD PicasaClient::Login(const char* account, const wchar_t* password, const char* source)
{
    Logout();
    if (!account)
        account = "";

    transport_.url = accountServer_ + L"/accounts/ClientLogin";
    transport_.ClearBody();
    const std::string email = FormValue(WideFromUserCodePage(account));
    const std::string identifier = FormValue(WideFromUserCodePage(source));
    std::string secret = FormValue(password ? password : L"");
    // Reserved whole, so that no reallocation leaves a copy of the password.
    std::string body;
    body.reserve(128 + email.size() + secret.size() + identifier.size());
    body.append("accountType=HOSTED_OR_GOOGLE&Email=").append(email);
    body.append("&Passwd=").append(secret);
    body.append("&service=lh2&source=").append(identifier);
    transport_.SetBody(body.data(), int32_t(body.size()));
    transport_.requestHeaders = L"Content-Length: " + std::to_wstring(body.size()) +
                                L"\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                L"Connection: Keep-Alive\r\n";
    Wipe(secret);
    Wipe(body);
    lastStatus_ = Send(L"POST");
    transport_.ClearBody(); // the password leaves memory with the request

    if (lastStatus_ == L"200") {
        accountName_ = account;
        std::wstring token;
        if (FindKeyLine(transport_.ResponseText(), L"auth=", token)) {
            access_.SetToken(token);
            signedIn_ = 1;
        }
        WriteSignInLine(requestStats_.last / 1000.0);
        return ERROR_SUCCESS;
    }

    lastServiceError_ = ParseServiceError(transport_.ResponseText());
    lastErrorBody_ = lastFailureCause_;
    if (log_)
        log_->Write(("Login : Failed, Account = " + std::string(account)).c_str());
    WriteLog(L"\tHTTP Response Code = " + lastStatus_ + L", Picasa Error Code = " + lastServiceError_);
    if (!lastFailureCause_.empty())
        WriteLog(L"\t" + lastFailureCause_);
    return ERROR_SERVICE_LOGON_FAILED;
}

std::wstring PicasaClient::ParseServiceError(const std::wstring& reply)
{
    std::wstring value;
    FindKeyLine(reply, L"error=", value);
    return value;
}

DWORD PicasaClient::OpenPublicSession(const char* account, const char* token)
{
    accountName_ = account ? account : "";
    access_.SetToken(WideFromUserCodePage(token));
    signedIn_ = 1;
    WriteSignInLine(0.0);
    return ERROR_SUCCESS;
}

void PicasaClient::WriteSignInLine(double seconds)
{
    if (!log_)
        return;
    // The account name goes in as given, byte for byte; the comma is the
    // ideographic one ("、") in the user's code page.
    char time[64];
    std::snprintf(time, sizeof(time), "time = %.3f [Sec]", seconds);
    const std::string line =
        "Login : Success, Account = " + accountName_ + UserCodePageFromWide(L"\u3001") + time;
    log_->Write(line.c_str());
}

void PicasaClient::Logout()
{
    if (!signedIn_)
        return;
    if (log_)
        log_->Write("Logout");
    signedIn_ = 0;
    accountName_.clear();
    access_.ForgetToken();
    albums_.clear();
    replyText_.Reset();
    quotaLimit_ = 0;
    quotaCurrent_ = 0;
}

void PicasaClient::AbortRequests()
{
    transport_.Abort();
    detailsPool_->Abort();
    upload_.Abort();
}

void PicasaClient::ResumeRequests()
{
    transport_.ClearAbort();
    detailsPool_->ClearAbort();
    upload_.ClearAbort();
}
