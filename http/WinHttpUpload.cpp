#include "http/WinHttpUpload.h"

#include <algorithm>
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

WinHttpUpload::WinHttpUpload(std::unique_ptr<WinHttpSession> session)
    : session_(session ? std::move(session) : std::make_unique<WinHttpSession>())
{
}

WinHttpUpload::~WinHttpUpload() = default;

void WinHttpUpload::Abort()
{
    abort_.Abort();
}

WinHttpUpload::Outcome WinHttpUpload::Fail(Outcome outcome)
{
    lastError_ = GetLastError();
    return abort_.Aborted() && outcome == Outcome::NotSent ? Outcome::Cancelled : outcome;
}

WinHttpUpload::Outcome WinHttpUpload::SendFile(const std::wstring& path)
{
    statusCode_.clear();
    responseText_.clear();
    responseHeaders_.clear();
    lastError_ = 0;
    bytesSent_ = 0;
    if (abort_.Aborted())
        return Outcome::Cancelled;

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

    WinHttpAbort::Request request(abort_, session_->OpenRequest(L"POST", url, timeouts, acceptUntrustedCertificates));
    if (!request.h)
        return Fail(Outcome::NotSent);
    if (!requestHeaders.empty() &&
        !WinHttpAddRequestHeaders(request.h, requestHeaders.c_str(), DWORD(-1),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return Fail(Outcome::NotSent);

    // The total length becomes the Content-Length; the body follows in pieces.
    if (!session_->SendHead(request.h, url, DWORD(total)))
        return Fail(Outcome::NotSent);
    if (!WriteBody(request.h, file.h, total))
        return abort_.Aborted() ? Outcome::Cancelled : Outcome::NotSent;

    // From here on the server may have kept the file: no second try.
    if (!WinHttpReceiveResponse(request.h, nullptr) || abort_.Aborted())
        return Fail(Outcome::OutcomeUnknown);
    if (!ReadReply(request.h))
        return Fail(Outcome::OutcomeUnknown);
    return Outcome::Replied;
}

bool WinHttpUpload::WriteBody(HINTERNET request, HANDLE file, uint64_t total)
{
    std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[kPieceSize]);
    if (!piece) {
        lastError_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    while (bytesSent_ < total) {
        if (abort_.Aborted())
            return false;
        const DWORD want = DWORD(std::min<uint64_t>(kPieceSize, total - bytesSent_));
        DWORD read = 0;
        if (!ReadFile(file, piece.get(), want, &read, nullptr)) {
            lastError_ = GetLastError();
            return false;
        }
        if (read == 0) { // the file became shorter than announced
            lastError_ = ERROR_HANDLE_EOF;
            return false;
        }
        DWORD written = 0;
        if (!WinHttpWriteData(request, piece.get(), read, &written) || written != read) {
            lastError_ = GetLastError();
            return false;
        }
        bytesSent_ += written;
        if (onProgress)
            onProgress(bytesSent_, total);
    }
    return !abort_.Aborted();
}

bool WinHttpUpload::ReadReply(HINTERNET request)
{
    HeaderText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, responseHeaders_);
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
        if (abort_.Aborted() || !WinHttpQueryDataAvailable(request, &available))
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
    statusCode_ = status;
    responseText_ = FromUtf8(body);
    return true;
}
