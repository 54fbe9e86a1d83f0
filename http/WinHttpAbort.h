#pragma once
#include <atomic>
#include <cstdint>

#include <windows.h>
#include <winhttp.h>

#include "base/ScopedHandles.h"
#include "http/WinHttpHandle.h"

// The stop switch of a transport that sends one request at a time. Abort,
// from any thread, marks the request in flight as stopped, sets the stop
// event and keeps every later request from going out until Clear. It closes
// no handle: a request handle is used and closed only by the thread that
// opened it, which sees the stop at its next step. (A handle closed under
// another thread's feet lets that thread's next call reach whatever request
// got the same handle value meanwhile.) A wait on a server that stalls ends
// at the request's time-out on that thread; the caller does not wait for it:
// its transport runs the request on a WinHttpLine, which lets the caller go
// at the stop event.
class WinHttpAbort
{
public:
    // Owns one request handle for its owner's thread, which alone uses it
    // and closes it at the end. A request opened after Abort is closed at
    // once (h is then null).
    class Request
    {
    public:
        Request(WinHttpAbort& owner, HINTERNET handle);
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;

        // An Abort came since this request was opened; stays so after a
        // Clear, so that a request left behind never takes up again.
        bool Stopped() const;

        HINTERNET h;

    private:
        UniqueWinHttpHandle owned_;
        const WinHttpAbort& owner_;
        uint64_t aborts_; // the owner's count of aborts when it was opened
    };

    WinHttpAbort();
    WinHttpAbort(const WinHttpAbort&) = delete;
    WinHttpAbort& operator=(const WinHttpAbort&) = delete;

    void Abort();
    void Clear();
    bool Aborted() const { return aborted_; }
    // Set while aborted: what a WinHttpLine's caller waits on.
    HANDLE StopEvent() const { return stop_.get(); }

private:
    UniqueHandle stop_;
    std::atomic<bool> aborted_{false};
    std::atomic<uint64_t> aborts_{0};
};
