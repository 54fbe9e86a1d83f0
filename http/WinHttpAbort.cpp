#include "http/WinHttpAbort.h"

WinHttpAbort::WinHttpAbort() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

void WinHttpAbort::Abort()
{
    // Counted before the flag goes up: a request that sees the flag also
    // sees itself stopped.
    ++aborts_;
    aborted_ = true;
    if (stop_)
        SetEvent(stop_.get());
}

void WinHttpAbort::Clear()
{
    aborted_ = false;
    if (stop_)
        ResetEvent(stop_.get());
}

WinHttpAbort::Request::Request(WinHttpAbort& owner, HINTERNET handle)
    : h(handle), owned_(handle), owner_(owner), aborts_(owner.aborts_)
{
    // Aborted before it could go out: it never does.
    if (h && owner_.aborted_) {
        owned_.reset();
        h = nullptr;
    }
}

bool WinHttpAbort::Request::Stopped() const
{
    return owner_.aborts_ != aborts_ || owner_.aborted_;
}
