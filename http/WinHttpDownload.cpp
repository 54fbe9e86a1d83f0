#include "http/WinHttpDownload.h"

#include <vector>

namespace {

// 256 KiB: few calls per file, little memory per connection.
constexpr DWORD kPieceSize = 256 * 1024;

} // namespace

WinHttpDownload::WinHttpDownload(std::unique_ptr<WinHttpSession> session)
    : session_(session ? std::move(session) : std::make_unique<WinHttpSession>())
{
}

WinHttpDownload::~WinHttpDownload() = default;

bool WinHttpDownload::Fail()
{
    lastError_ = GetLastError();
    return false;
}

void WinHttpDownload::SetInFlight(HINTERNET request)
{
    std::lock_guard<std::mutex> lock(inFlightLock_);
    inFlight_ = request;
}

void WinHttpDownload::Abort()
{
    std::lock_guard<std::mutex> lock(inFlightLock_);
    aborted_ = true;
    // Closing the handle makes a call waiting on the network return; the
    // request's owner then sees no handle to close.
    if (inFlight_) {
        WinHttpCloseHandle(inFlight_);
        inFlight_ = nullptr;
    }
}

bool WinHttpDownload::Get(const std::wstring& url, const std::wstring& headers, const HeadSink& onHead,
                          const PieceSink& onPiece)
{
    return Run(L"GET", url, headers, onHead, &onPiece);
}

bool WinHttpDownload::Head(const std::wstring& url, const std::wstring& headers, int& status, int64_t& announcedLength)
{
    status = 0;
    announcedLength = -1;
    return Run(L"HEAD", url, headers,
               [&](int s, int64_t length) {
                   status = s;
                   announcedLength = length;
                   return true;
               },
               nullptr);
}

bool WinHttpDownload::Run(const wchar_t* verb, const std::wstring& url, const std::wstring& headers,
                          const HeadSink& onHead, const PieceSink* onPiece)
{
    lastError_ = 0;
    received_ = 0;
    if (aborted_ || url.empty())
        return false;
    WinHttpSession::Timeouts timeouts;
    timeouts.connect = connectTimeout;
    timeouts.send = receiveTimeout;
    timeouts.receive = receiveTimeout;
    HINTERNET request = session_->OpenRequest(verb, url, timeouts, acceptUntrustedCertificates);
    if (!request)
        return Fail();
    SetInFlight(request);
    // Whoever takes the handle out of inFlight_ closes it: Abort, or here.
    struct Closer
    {
        WinHttpDownload& self;
        HINTERNET h;
        ~Closer()
        {
            std::lock_guard<std::mutex> lock(self.inFlightLock_);
            if (self.inFlight_ == h) {
                WinHttpCloseHandle(h);
                self.inFlight_ = nullptr;
            }
        }
    } closer{*this, request};
    if (aborted_)
        return false;

    const std::wstring lines = headers + L"Connection: Keep-Alive\r\n";
    if (!WinHttpAddRequestHeaders(request, lines.c_str(), DWORD(-1), WINHTTP_ADDREQ_FLAG_ADD))
        return Fail();
    if (!session_->SendHead(request, url, 0) || !WinHttpReceiveResponse(request, nullptr))
        return Fail();

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &status, &size, WINHTTP_NO_HEADER_INDEX))
        return Fail();
    int64_t announced = -1;
    wchar_t lengthText[32] = {};
    size = sizeof(lengthText);
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, lengthText, &size,
                            WINHTTP_NO_HEADER_INDEX)) {
        wchar_t* end = nullptr;
        const long long n = wcstoll(lengthText, &end, 10);
        if (end != lengthText && *end == 0 && n >= 0)
            announced = n;
    }
    if (!onHead(int(status), announced))
        return false;
    if (!onPiece)
        return true;

    std::vector<uint8_t> piece(kPieceSize);
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request, piece.data(), kPieceSize, &read))
            return Fail();
        if (read == 0)
            break;
        received_ += read;
        if (announced >= 0 && received_ > announced)
            return false;
        if (!(*onPiece)(piece.data(), read))
            return false;
    }
    if (aborted_)
        return false;
    // Wine's WinHTTP may take a connection closed early for the end.
    return announced < 0 || received_ == announced;
}
