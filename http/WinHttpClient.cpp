#include "http/WinHttpClient.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <vector>

#include "base/Utf8Text.h"
#include "http/CPatternSearch.h"

namespace {

constexpr uint32_t kFirstBodyCapacity = 10240;
// A body announced up to this size is given all its room before it is read;
// a larger announcement is not trusted that far.
constexpr uint64_t kLargestRoomAtOnce = 64u << 20;

const wchar_t* CanonicalMethod(const wchar_t* method)
{
    static const wchar_t* const kMethods[] = {L"GET", L"POST", L"DELETE", L"PATCH"};
    if (!method)
        return nullptr;
    for (const wchar_t* m : kMethods)
        if (_wcsicmp(method, m) == 0)
            return m;
    return nullptr;
}

bool FirstMatch(const wchar_t* pattern, const std::wstring& text, std::wstring& found)
{
    std::vector<std::wstring> results;
    if (!FindAll(pattern, false, 1, text, results, false) || results.empty())
        return false;
    found = results.front();
    return true;
}

// The pattern search's lower-casing of one character.
wchar_t LowerCase(wchar_t c)
{
    if (c < 0x80)
        return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c;
    return wchar_t(towlower(c));
}

// Whether `text` holds `tag` (lower case, starting with "<") with its letters
// in any case: what the pattern search finds ignoring case, without making a
// lower-cased copy of a body of megabytes first. Only "<" lower-cases to "<".
bool HoldsTag(const std::wstring& text, const wchar_t* tag)
{
    const size_t length = std::wcslen(tag);
    if (text.size() < length)
        return false;
    // A plain loop over the text: the library's search starts over at each
    // first character.
    const wchar_t* const last = text.data() + (text.size() - length);
    for (const wchar_t* at = text.data(); at <= last; ++at) {
        if (*at != tag[0])
            continue;
        size_t k = 1;
        while (k < length && LowerCase(at[k]) == tag[k])
            ++k;
        if (k == length)
            return true;
    }
    return false;
}

// "<html>" without "</html>": the page was cut short on the way.
bool IsCutShortHtml(const std::wstring& text)
{
    return HoldsTag(text, L"<html>") && !HoldsTag(text, L"</html>");
}

// A status line "HTTP/x.y nnn ..." with a three-digit status.
bool IsHttpReply(const std::wstring& headers, const std::wstring& status)
{
    if (headers.compare(0, 5, L"HTTP/") != 0 || status.size() != 3)
        return false;
    for (wchar_t c : status)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

bool QueryHeaderText(HINTERNET request, DWORD level, std::wstring& out)
{
    DWORD size = 0;
    WinHttpQueryHeaders(request, level, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return false;
    std::vector<wchar_t> buffer(size + 1, L'\0'); // twice the size in bytes
    DWORD bytes = DWORD(buffer.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, level, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return false;
    out.assign(buffer.data());
    return true;
}

// The length the server announced for the body, if it gave a number.
bool AnnouncedLength(HINTERNET request, uint64_t& length)
{
    std::wstring declared;
    if (!QueryHeaderText(request, WINHTTP_QUERY_CONTENT_LENGTH, declared))
        return false;
    wchar_t* end = nullptr;
    length = wcstoull(declared.c_str(), &end, 10);
    return end != declared.c_str();
}

} // namespace

// What one Send works on: a request left behind by an Abort keeps it and
// ends by itself, while the client goes on with a fresh one.
struct WinHttpClient::Exchange
{
    // What Send reads of the client, copied when it starts.
    struct Request
    {
        std::wstring url;
        std::wstring headers;
        Timeouts timeouts;
        bool acceptUntrusted = false;
        bool textReplies = true;
        uint32_t largestReply = UINT32_MAX;
        const wchar_t* verb = nullptr;
    };

    enum class BodyRead { Complete, Broken, OutOfMemory, TooLong };

    explicit Exchange(std::shared_ptr<WinHttpSession> session) : session(std::move(session)) {}
    ~Exchange() { ClearBody(); }

    void Reset()
    {
        outcomeUnknown = false;
        lastError = 0;
        statusCode.clear();
        responseHeaders.clear();
        responseCharset.clear();
        responseText.clear();
    }
    void ClearBody()
    {
        // The body of a sign-in holds the password: no copy stays in the heap.
        if (requestBody)
            SecureZeroMemory(requestBody.get(), size_t(requestLength));
        requestBody.reset();
        requestLength = 0;
    }
    bool Send(const Request& r, WinHttpAbort& abort);
    // Keeps GetLastError of the call that just failed; false.
    bool Fail();
    void ReadHeaders(HINTERNET request);
    BodyRead ReadBody(const WinHttpAbort::Request& request, uint32_t largestReply);
    // Room for `needed` bytes in the body buffer, the bytes read so far kept.
    bool MakeRoom(uint64_t needed);
    void DecodeBody();

    std::shared_ptr<WinHttpSession> session;
    std::wstring responseHeaders;
    std::wstring responseText;
    std::wstring responseCharset;
    std::unique_ptr<uint8_t[]> responseBytes;
    uint32_t responseLength = 0;
    uint32_t responseCapacity = 0;
    std::unique_ptr<uint8_t[]> requestBody;
    int32_t requestLength = 0;
    std::wstring statusCode;
    bool outcomeUnknown = false;
    DWORD lastError = 0;
};

WinHttpClient::WinHttpClient(std::unique_ptr<WinHttpSession> session)
    : x_(std::make_shared<Exchange>(session ? std::shared_ptr<WinHttpSession>(std::move(session))
                                            : std::make_shared<WinHttpSession>())),
      abort_(std::make_shared<WinHttpAbort>())
{
}

WinHttpClient::~WinHttpClient() = default;

bool WinHttpClient::SetBody(const void* bytes, int32_t length)
{
    if (!bytes)
        return false;
    ClearBody();
    if (length < 0)
        return false;
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[size_t(length) + 1]);
    if (!copy)
        return false;
    std::memcpy(copy.get(), bytes, size_t(length));
    x_->requestBody = std::move(copy);
    x_->requestLength = length;
    return true;
}

void WinHttpClient::ClearBody()
{
    x_->ClearBody();
}

bool WinHttpClient::Send(const wchar_t* method)
{
    x_->Reset();
    const wchar_t* verb = CanonicalMethod(method);
    if (url.empty() || !verb || abort_->Aborted())
        return false;
    Exchange::Request request{url, requestHeaders, timeouts, acceptUntrustedCertificates, textReplies, largestReply, verb};
    bool abandoned = false;
    const bool complete = line_.Run(
        [x = x_, abort = abort_, request](WinHttpLine::Ticket&) { return x->Send(request, *abort); },
        abort_->StopEvent(), abandoned);
    if (abandoned) {
        // The request goes on alone until it ends; the client starts afresh.
        auto fresh = std::make_shared<Exchange>(std::make_shared<WinHttpSession>(x_->session->UserAgent()));
        fresh->lastError = ERROR_WINHTTP_OPERATION_CANCELLED;
        // A change may have reached the server before the stop.
        fresh->outcomeUnknown = std::wcscmp(verb, L"GET") != 0;
        x_ = std::move(fresh);
    }
    return complete;
}

bool WinHttpClient::Exchange::Send(const Request& r, WinHttpAbort& abort)
{
    const wchar_t* const verb = r.verb;
    const std::wstring& url = r.url;
    const std::wstring& requestHeaders = r.headers;
    const bool isGet = std::wcscmp(verb, L"GET") == 0;

    // The path and query are held to 1299 characters.
    WinHttpAbort::Request request(abort, session->OpenRequest(verb, url, r.timeouts, r.acceptUntrusted, 1299));
    if (!request.h)
        return Fail();

    // Added once: the block stays on the request handle for a retry, and a
    // request without the caller's headers (its authorization) is not sent.
    if (!requestHeaders.empty() &&
        !WinHttpAddRequestHeaders(request.h, requestHeaders.c_str(), DWORD(-1),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON))
        return false;

    bool complete = false;
    bool failed = false;
    bool sent = false;
    for (int attempt = 0; attempt < 3 && !complete && !failed && !request.Stopped(); ++attempt) {
        // A change goes out once at most: after a slow or lost reply nobody
        // knows whether the server acted on it, and sending it again could
        // make a second album or fail a delete that worked.
        if (sent && !isGet)
            break;
        if (!session->SendHead(request.h, url, 0)) {
            lastError = GetLastError();
            continue;
        }
        sent = true;
        if (requestBody && requestLength > 0) {
            DWORD written = 0;
            WinHttpWriteData(request.h, requestBody.get(), DWORD(requestLength), &written);
        }
        if (!WinHttpReceiveResponse(request.h, nullptr) || request.Stopped()) {
            lastError = GetLastError();
            continue;
        }
        lastError = 0;

        ReadHeaders(request.h);
        if (!IsHttpReply(responseHeaders, statusCode)) {
            // Wine takes any first line for a status line; Windows fails
            // the receive. Both end here as the same failure.
            statusCode.clear();
            responseHeaders.clear();
            lastError = ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
            failed = true;
            break;
        }
        const BodyRead body = ReadBody(request, r.largestReply);
        if (body == BodyRead::TooLong) {
            // Nothing of it is kept, and neither is the room it took.
            responseBytes.reset();
            responseLength = responseCapacity = 0;
            statusCode.clear();
            lastError = ERROR_FILE_TOO_LARGE;
            failed = true;
            break;
        }
        if (r.textReplies)
            DecodeBody();
        if (body == BodyRead::OutOfMemory) {
            failed = true;
        } else if (body == BodyRead::Broken || request.Stopped()) {
            // The reply ended before its framing said it was complete: a
            // failure, not a "200" with half a feed. The request handle is
            // spent.
            statusCode.clear();
            failed = true;
        } else if (!(isGet && IsCutShortHtml(responseText))) {
            complete = true;
        }
    }
    outcomeUnknown = sent && !isGet && !complete;
    // Stopped before the caller let it go: said as the same cancel.
    if (!complete && request.Stopped())
        lastError = ERROR_WINHTTP_OPERATION_CANCELLED;
    return complete && !failed;
}

void WinHttpClient::Abort()
{
    abort_->Abort();
}

bool WinHttpClient::Exchange::Fail()
{
    lastError = GetLastError();
    return false;
}

void WinHttpClient::Exchange::ReadHeaders(HINTERNET request)
{
    std::wstring text;
    if (QueryHeaderText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, text)) {
        responseHeaders = text;
        // Also the quoted form, charset="utf-8", with blanks around the parts.
        FirstMatch(L"charset[ \t]*=[ \t]*\"?[ \t]*{[A-Za-z0-9\\-_]+}", responseHeaders, responseCharset);
    }
    if (QueryHeaderText(request, WINHTTP_QUERY_STATUS_CODE, text))
        statusCode = text;
}

WinHttpClient::Exchange::BodyRead WinHttpClient::Exchange::ReadBody(const WinHttpAbort::Request& call, uint32_t largestReply)
{
    const HINTERNET request = call.h;
    // The buffer of the last reply is used again when it is large enough,
    // and a body whose length is announced gets its room at once: growing
    // through copies, or a new block per reply, costs more than the reading.
    responseLength = 0;
    if (responseBytes)
        responseBytes[0] = 0;
    uint64_t announced = 0;
    const bool lengthKnown = AnnouncedLength(request, announced);
    // Refused before a byte of it is read.
    if (lengthKnown && announced > largestReply)
        return BodyRead::TooLong;
    uint64_t room = kFirstBodyCapacity;
    if (lengthKnown && announced < kLargestRoomAtOnce)
        room = std::max(room, announced + 1);
    if (!MakeRoom(room))
        return BodyRead::OutOfMemory;
    responseBytes[0] = 0;

    for (;;) {
        DWORD available = 0;
        if (call.Stopped() || !WinHttpQueryDataAvailable(request, &available))
            return BodyRead::Broken;
        if (available == 0)
            break;
        // A reply without a length, or longer than its length said, is
        // read no further than the ceiling.
        if (uint64_t(responseLength) + available > largestReply)
            return BodyRead::TooLong;
        // Read straight into the buffer, grown first so that the chunk and
        // the zero byte that always follows the data fit.
        if (!MakeRoom(uint64_t(responseLength) + available + 1))
            return BodyRead::OutOfMemory;
        DWORD read = 0;
        const bool ok = WinHttpReadData(request, responseBytes.get() + responseLength, available, &read);
        responseLength += ok ? read : 0;
        responseBytes[responseLength] = 0;
        if (!ok)
            return BodyRead::Broken;
        if (read == 0)
            break;
    }
    // A chunked reply, which an HTTP/1.0 request does not allow, has an end
    // that cannot be checked here: it is not taken for a whole one.
    std::wstring coding;
    if (QueryHeaderText(request, WINHTTP_QUERY_TRANSFER_ENCODING, coding) && _wcsicmp(coding.c_str(), L"identity") != 0)
        return BodyRead::Broken;
    // A connection that breaks off early may simply look like the end of the
    // data: hold the body against the length the server announced.
    if (lengthKnown && announced > responseLength)
        return BodyRead::Broken;
    return BodyRead::Complete;
}

bool WinHttpClient::Exchange::MakeRoom(uint64_t needed)
{
    if (responseBytes && needed <= responseCapacity)
        return true;
    // Twice the room it had, or what is needed if that is more; never past
    // what a 32-bit length can hold.
    const uint64_t capacity =
        std::min<uint64_t>(std::max<uint64_t>(needed, uint64_t(responseCapacity) * 2), UINT32_MAX);
    if (capacity < needed)
        return false;
    std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[capacity]);
    if (!grown)
        return false;
    if (responseLength > 0)
        std::memcpy(grown.get(), responseBytes.get(), responseLength);
    responseBytes = std::move(grown);
    responseCapacity = uint32_t(capacity);
    return true;
}

void WinHttpClient::Exchange::DecodeBody()
{
    responseText.clear();
    if (!responseBytes)
        return;
    const bool utf8 = responseCharset.size() >= 5 && _wcsnicmp(responseCharset.c_str(), L"utf-8", 5) == 0;
    const char* data = reinterpret_cast<const char*>(responseBytes.get());
    const int length = int(responseLength) + 1; // the data and its zero byte
    // Any other charset is read in the system's code page. Converted once,
    // straight into the text: a narrow code page makes no more UTF-16 units
    // than it has bytes.
    auto fromCodePage = [&]() {
        responseText.resize(size_t(length));
        int chars = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, data, length, responseText.data(), length);
        if (chars <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            chars = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, data, length, nullptr, 0);
            if (chars > 0) {
                responseText.resize(size_t(chars));
                chars = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, data, length, responseText.data(), chars);
            }
        }
        responseText.resize(chars > 0 ? size_t(chars) : 0);
        return chars > 0;
    };
    if (!(utf8 && WideFromUtf8(std::string_view(data, size_t(length)), responseText)) && !fromCodePage())
        return;
    // Up to the first NUL: the one after the data unless the data has its own.
    if (std::memchr(data, 0, responseLength))
        responseText.resize(std::wcslen(responseText.c_str()));
    else if (!responseText.empty() && responseText.back() == L'\0')
        responseText.pop_back();
}

int32_t WinHttpClient::BodyLength() const
{
    return x_->requestLength;
}

bool WinHttpClient::OutcomeUnknown() const
{
    return x_->outcomeUnknown;
}

DWORD WinHttpClient::LastError() const
{
    return x_->lastError;
}

std::wstring WinHttpClient::StatusCode() const
{
    return x_->statusCode;
}

const std::wstring& WinHttpClient::ResponseText() const
{
    return x_->responseText;
}

const std::wstring& WinHttpClient::ResponseHeaders() const
{
    return x_->responseHeaders;
}

const std::wstring& WinHttpClient::ResponseCharset() const
{
    return x_->responseCharset;
}

const uint8_t* WinHttpClient::ResponseBytes() const
{
    return x_->responseBytes.get();
}

const std::wstring& WinHttpClient::UserAgent() const
{
    return x_->session->UserAgent();
}

uint32_t WinHttpClient::ResponseLength() const
{
    return x_->responseLength;
}
