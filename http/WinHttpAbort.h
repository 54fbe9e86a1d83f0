#pragma once
#include <atomic>
#include <cstdint>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpHandle.h"

// The stop switch of a transport that sends one request at a time. Abort,
// from any thread, marks the request in flight as stopped and keeps every
// later request from going out until Clear. It closes no handle: a request
// handle is used and closed only by the thread that opened it, which sees
// the stop at its next step. (A handle closed under another thread's feet
// lets that thread's next call reach whatever request got the same handle
// value meanwhile.) A wait on a server that stalls therefore ends at the
// request's time-out; whoever must not wait that long leaves the request
// behind instead (WinHttpDownload's own thread, the preview's loader).
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

    void Abort();
    void Clear() { aborted_ = false; }
    bool Aborted() const { return aborted_; }

private:
    std::atomic<bool> aborted_{false};
    std::atomic<uint64_t> aborts_{0};
};
