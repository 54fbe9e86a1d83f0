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

// On the line's own thread when a call left behind held the object last:
// the line then lets that thread end by itself.
WinHttpDownload::~WinHttpDownload() = default;

bool WinHttpDownload::Fail()
{
    lastError_ = GetLastError();
    return false;
}

void WinHttpDownload::Abort()
{
    abort_.Abort();
}

bool WinHttpDownload::Get(const std::wstring& url, const std::wstring& headers, const HeadSink& onHead,
                          const PieceSink& onPiece)
{
    if (weak_from_this().expired())
        return Run(L"GET", url, headers, onHead, &onPiece);
    return GetOnLine(url, headers, onHead, onPiece);
}

bool WinHttpDownload::GetOnLine(const std::wstring& url, const std::wstring& headers, const HeadSink& onHead,
                                const PieceSink& onPiece)
{
    bool abandoned = false;
    const bool result = line_.Run(
        [self = shared_from_this(), url, headers, &onHead, &onPiece](WinHttpLine::Ticket& ticket) {
            // The caller's sinks only while the caller still waits.
            const HeadSink head = [&](int status, int64_t length) {
                return ticket.Callback([&] { return onHead(status, length); });
            };
            const PieceSink piece = [&](const uint8_t* bytes, size_t length) {
                return ticket.Callback([&] { return onPiece(bytes, length); });
            };
            return self->Run(L"GET", url, headers, head, &piece);
        },
        abort_.StopEvent(), abandoned);
    if (abandoned)
        lastError_ = ERROR_WINHTTP_OPERATION_CANCELLED;
    return result;
}

bool WinHttpDownload::Run(const wchar_t* verb, const std::wstring& url, const std::wstring& headers,
                          const HeadSink& onHead, const PieceSink* onPiece)
{
    lastError_ = 0;
    received_ = 0;
    if (abort_.Aborted() || url.empty())
        return false;
    WinHttpSession::Timeouts timeouts;
    timeouts.connect = connectTimeout;
    timeouts.send = receiveTimeout;
    timeouts.receive = receiveTimeout;
    HINTERNET opened = session_->OpenRequest(verb, url, timeouts, acceptUntrustedCertificates);
    if (!opened)
        return Fail();
    const WinHttpAbort::Request inFlight(abort_, opened);
    const HINTERNET request = inFlight.h;
    if (!request)
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
    if (inFlight.Stopped() || !onHead(int(status), announced))
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
        if (inFlight.Stopped() || !(*onPiece)(piece.data(), read))
            return false;
    }
    if (inFlight.Stopped())
        return false;
    // Wine's WinHTTP may take a connection closed early for the end.
    return announced < 0 || received_ == announced;
}
