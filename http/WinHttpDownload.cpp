#include "http/WinHttpDownload.h"

#include <condition_variable>
#include <thread>
#include <vector>

namespace {

// 256 KiB: few calls per file, little memory per connection.
constexpr DWORD kPieceSize = 256 * 1024;

} // namespace

// A Get handed to the line's thread.
struct WinHttpDownload::Call
{
    std::function<bool()> run; // holds the object while it runs
    bool done = false;
    bool result = false;
    bool abandoned = false; // its caller has gone on: no sink may run
};

// The thread the requests of a shared object go out on. Its lock also
// covers every call of a sink, so that once a Get has marked its call
// abandoned, none of its sinks runs again.
struct WinHttpDownload::Line
{
    std::mutex lock;
    std::condition_variable changed;
    std::shared_ptr<Call> next;
    bool quit = false;
    std::thread thread;
};

WinHttpDownload::WinHttpDownload(std::unique_ptr<WinHttpSession> session)
    : session_(session ? std::move(session) : std::make_unique<WinHttpSession>())
{
}

WinHttpDownload::~WinHttpDownload()
{
    if (line_) {
        {
            std::lock_guard<std::mutex> guard(line_->lock);
            line_->quit = true;
        }
        line_->changed.notify_all();
        // On the line's own thread when a call left behind held the object
        // last: that thread ends by itself.
        if (line_->thread.get_id() == std::this_thread::get_id())
            line_->thread.detach();
        else
            line_->thread.join();
    }
}

bool WinHttpDownload::Fail()
{
    lastError_ = GetLastError();
    return false;
}

void WinHttpDownload::Abort()
{
    abort_.Abort();
    std::shared_ptr<Line> line;
    {
        std::lock_guard<std::mutex> lock(lineLock_);
        line = line_;
    }
    if (line) {
        // Under the lock: a Get between its test and its wait still hears it.
        std::lock_guard<std::mutex> guard(line->lock);
        line->changed.notify_all();
    }
}

void WinHttpDownload::LineMain(std::shared_ptr<Line> line)
{
    std::unique_lock<std::mutex> hold(line->lock);
    for (;;) {
        line->changed.wait(hold, [&] { return line->quit || line->next; });
        if (line->quit)
            return;
        const std::shared_ptr<Call> call = std::move(line->next);
        if (call->abandoned)
            continue;
        hold.unlock();
        const bool result = call->run();
        // Dropped outside the lock: it may hold the object's last reference.
        std::function<bool()> finished = std::move(call->run);
        hold.lock();
        call->result = result;
        call->done = true;
        line->changed.notify_all();
        hold.unlock();
        finished = nullptr;
        hold.lock();
    }
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
    if (!line_) {
        auto line = std::make_shared<Line>();
        try {
            line->thread = std::thread(LineMain, line);
        } catch (...) {
            return Run(L"GET", url, headers, onHead, &onPiece); // no thread: the wait is the caller's
        }
        std::lock_guard<std::mutex> lock(lineLock_);
        line_ = line;
    }
    Line& line = *line_;
    auto call = std::make_shared<Call>();
    call->run = [self = shared_from_this(), &line, c = call.get(), url, headers, &onHead, &onPiece] {
        const HeadSink head = [&](int status, int64_t length) {
            std::lock_guard<std::mutex> guard(line.lock);
            return !c->abandoned && onHead(status, length);
        };
        const PieceSink piece = [&](const uint8_t* bytes, size_t length) {
            std::lock_guard<std::mutex> guard(line.lock);
            return !c->abandoned && onPiece(bytes, length);
        };
        return self->Run(L"GET", url, headers, head, &piece);
    };
    std::unique_lock<std::mutex> hold(line.lock);
    line.next = call;
    line.changed.notify_all();
    line.changed.wait(hold, [&] { return call->done || abort_.Aborted(); });
    if (call->done)
        return call->result;
    call->abandoned = true;
    lastError_ = ERROR_WINHTTP_OPERATION_CANCELLED;
    return false;
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
