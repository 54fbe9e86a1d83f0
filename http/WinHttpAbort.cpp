#include "http/WinHttpAbort.h"

void WinHttpAbort::Abort()
{
    aborted_ = true;
    std::lock_guard<std::mutex> guard(lock_);
    if (inFlight_) {
        WinHttpCloseHandle(inFlight_);
        inFlight_ = nullptr;
    }
}

WinHttpAbort::Request::Request(WinHttpAbort& owner, HINTERNET handle) : h(handle), owner_(owner)
{
    if (!h)
        return;
    std::lock_guard<std::mutex> guard(owner_.lock_);
    // Aborted before it could be seen: it never goes out.
    if (owner_.aborted_) {
        WinHttpCloseHandle(h);
        h = nullptr;
        return;
    }
    owner_.inFlight_ = h;
}

WinHttpAbort::Request::~Request()
{
    if (!h)
        return;
    std::lock_guard<std::mutex> guard(owner_.lock_);
    // Abort closed it already when it is no longer the one in flight.
    if (owner_.inFlight_ == h) {
        owner_.inFlight_ = nullptr;
        WinHttpCloseHandle(h);
    }
}
