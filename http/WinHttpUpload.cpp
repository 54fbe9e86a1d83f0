#include "http/WinHttpUpload.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// A reply to an upload is one entry; anything much larger is not one.
constexpr uint64_t kLargestReply = 16u << 20;

struct FileHandle
{
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

bool HeaderText(HINTERNET request, DWORD level, std::wstring& out)
{
    DWORD size = 0;
    WinHttpQueryHeaders(request, level, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = DWORD(buffer.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, level, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return false;
    out.assign(buffer.data());
    return true;
}

std::wstring FromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    const int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring text(size_t(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(), chars);
    return text;
}

} // namespace

// What one SendFile works on: a request left behind by an Abort keeps it
// and ends by itself, while the upload goes on with a fresh one.
struct WinHttpUpload::Transfer
{
    struct Request
    {
        std::wstring path;
        std::wstring url;
        std::wstring headers;
        WinHttpClient::Timeouts timeouts;
        bool acceptUntrusted = false;
        std::function<void(uint64_t sent, uint64_t total)> onProgress;
    };

    explicit Transfer(std::shared_ptr<WinHttpSession> session) : session(std::move(session)) {}

    Outcome SendFile(const Request& r, WinHttpAbort& abort, WinHttpLine::Ticket& ticket);
    Outcome Fail(Outcome outcome, const WinHttpAbort::Request* request = nullptr);
    bool WriteBody(const WinHttpAbort::Request& request, HANDLE file, uint64_t total, const Request& r,
                   WinHttpLine::Ticket& ticket);
    bool ReadReply(const WinHttpAbort::Request& request);

    std::shared_ptr<WinHttpSession> session;
    std::wstring statusCode;
    std::wstring responseText;
    std::wstring responseHeaders;
    DWORD lastError = 0;
    uint64_t bytesSent = 0;
    std::atomic<bool> bodyWritten{false};
};

WinHttpUpload::WinHttpUpload(std::unique_ptr<WinHttpSession> session)
    : x_(std::make_shared<Transfer>(session ? std::shared_ptr<WinHttpSession>(std::move(session))
                                            : std::make_shared<WinHttpSession>())),
      abort_(std::make_shared<WinHttpAbort>())
{
}

WinHttpUpload::~WinHttpUpload() = default;

void WinHttpUpload::Abort()
{
    abort_->Abort();
}

WinHttpUpload::Outcome WinHttpUpload::SendFile(const std::wstring& path)
{
    x_->statusCode.clear();
    x_->responseText.clear();
    x_->responseHeaders.clear();
    x_->lastError = 0;
    x_->bytesSent = 0;
    x_->bodyWritten = false;
    if (abort_->Aborted())
        return Outcome::Cancelled;
    Transfer::Request request{path, url, requestHeaders, timeouts, acceptUntrustedCertificates, onProgress};
    Outcome outcome = Outcome::NotSent;
    bool abandoned = false;
    line_.Run(
        [x = x_, abort = abort_, request, &outcome](WinHttpLine::Ticket& ticket) {
            const Outcome result = x->SendFile(request, *abort, ticket);
            // The caller's variable only while the caller still waits.
            return ticket.Callback([&] {
                outcome = result;
                return true;
            });
        },
        abort_->StopEvent(), abandoned);
    if (abandoned) {
        const bool written = x_->bodyWritten;
        const uint64_t sent = x_->bytesSent;
        x_ = std::make_shared<Transfer>(std::make_shared<WinHttpSession>(x_->session->UserAgent()));
        x_->lastError = ERROR_WINHTTP_OPERATION_CANCELLED;
        x_->bytesSent = sent;
        return written ? Outcome::OutcomeUnknown : Outcome::Cancelled;
    }
    return outcome;
}

WinHttpUpload::Outcome WinHttpUpload::Transfer::Fail(Outcome outcome, const WinHttpAbort::Request* request)
{
    lastError = GetLastError();
    return request && request->Stopped() && outcome == Outcome::NotSent ? Outcome::Cancelled : outcome;
}

WinHttpUpload::Outcome WinHttpUpload::Transfer::SendFile(const Request& r, WinHttpAbort& abort,
                                                         WinHttpLine::Ticket& ticket)
{
    const std::wstring& path = r.path;
    const std::wstring& url = r.url;
    const std::wstring& requestHeaders = r.headers;

    // Shared for reading only: another program may look at it, none may
    // change it while it goes out.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.h == INVALID_HANDLE_VALUE)
        return Fail(Outcome::NotSent);
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.h, &size))
        return Fail(Outcome::NotSent);
    const uint64_t total = uint64_t(size.QuadPart);
    if (total > 0xFFFFFFFFull) { // WinHTTP's total length is 32 bits
        SetLastError(ERROR_FILE_TOO_LARGE);
        return Fail(Outcome::NotSent);
    }

    WinHttpAbort::Request request(abort, session->OpenRequest(L"POST", url, r.timeouts, r.acceptUntrusted));
    if (!request.h)
        return request.Stopped() ? Outcome::Cancelled : Fail(Outcome::NotSent, &request);
    if (!requestHeaders.empty() &&
        !WinHttpAddRequestHeaders(request.h, requestHeaders.c_str(), DWORD(-1),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return Fail(Outcome::NotSent, &request);

    // The total length becomes the Content-Length; the body follows in pieces.
    if (!session->SendHead(request.h, url, DWORD(total)))
        return Fail(Outcome::NotSent, &request);
    if (!WriteBody(request, file.h, total, r, ticket))
        return request.Stopped() ? Outcome::Cancelled : Outcome::NotSent;
    bodyWritten = true;

    // From here on the server may have kept the file: no second try.
    if (!WinHttpReceiveResponse(request.h, nullptr) || request.Stopped())
        return Fail(Outcome::OutcomeUnknown, &request);
    if (!ReadReply(request))
        return Fail(Outcome::OutcomeUnknown, &request);
    return Outcome::Replied;
}

bool WinHttpUpload::Transfer::WriteBody(const WinHttpAbort::Request& call, HANDLE file, uint64_t total,
                                        const Request& r, WinHttpLine::Ticket& ticket)
{
    const HINTERNET request = call.h;
    std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[kPieceSize]);
    if (!piece) {
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    while (bytesSent < total) {
        // A stop is remembered by the request even after a ClearAbort: a
        // request left behind never takes up again.
        if (call.Stopped())
            return false;
        const DWORD want = DWORD(std::min<uint64_t>(kPieceSize, total - bytesSent));
        DWORD read = 0;
        if (!ReadFile(file, piece.get(), want, &read, nullptr)) {
            lastError = GetLastError();
            return false;
        }
        if (read == 0) { // the file became shorter than announced
            lastError = ERROR_HANDLE_EOF;
            return false;
        }
        DWORD written = 0;
        if (!WinHttpWriteData(request, piece.get(), read, &written) || written != read) {
            lastError = GetLastError();
            return false;
        }
        bytesSent += written;
        if (r.onProgress)
            ticket.Callback([&] {
                r.onProgress(bytesSent, total);
                return true;
            });
    }
    return !call.Stopped();
}

bool WinHttpUpload::Transfer::ReadReply(const WinHttpAbort::Request& call)
{
    const HINTERNET request = call.h;
    HeaderText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, responseHeaders);
    std::wstring status;
    if (!HeaderText(request, WINHTTP_QUERY_STATUS_CODE, status) || status.size() != 3) {
        SetLastError(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
        return false;
    }
    std::wstring declared;
    uint64_t announced = 0;
    const bool lengthKnown = HeaderText(request, WINHTTP_QUERY_CONTENT_LENGTH, declared);
    if (lengthKnown)
        announced = wcstoull(declared.c_str(), nullptr, 10);
    std::string body;
    for (;;) {
        DWORD available = 0;
        if (call.Stopped() || !WinHttpQueryDataAvailable(request, &available))
            return false;
        if (available == 0)
            break;
        if (body.size() + available > kLargestReply) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        const size_t at = body.size();
        body.resize(at + available);
        DWORD read = 0;
        if (!WinHttpReadData(request, body.data() + at, available, &read))
            return false;
        body.resize(at + read);
        if (read == 0)
            break;
    }
    // A connection that broke off early looks like the end of the data.
    if (lengthKnown && announced > body.size()) {
        SetLastError(ERROR_WINHTTP_CONNECTION_ERROR);
        return false;
    }
    statusCode = status;
    responseText = FromUtf8(body);
    return true;
}

const std::wstring& WinHttpUpload::StatusCode() const
{
    return x_->statusCode;
}

const std::wstring& WinHttpUpload::ResponseText() const
{
    return x_->responseText;
}

const std::wstring& WinHttpUpload::ResponseHeaders() const
{
    return x_->responseHeaders;
}

DWORD WinHttpUpload::LastError() const
{
    return x_->lastError;
}

uint64_t WinHttpUpload::BytesSent() const
{
    return x_->bytesSent;
}
