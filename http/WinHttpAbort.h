#pragma once
#include <atomic>
#include <mutex>

#include <windows.h>
#include <winhttp.h>

// The stop switch of a transport that sends one request at a time: Abort,
// from any thread, closes the request in flight (so that a call waiting on
// the network returns as soon as the platform lets it) and keeps every later
// request from going out until Clear.
class WinHttpAbort
{
public:
    // Owns one request handle while it is in flight, visible to Abort. A
    // request opened after Abort is closed at once (h is then null).
    class Request
    {
    public:
        Request(WinHttpAbort& owner, HINTERNET handle);
        ~Request();
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;

        HINTERNET h;

    private:
        WinHttpAbort& owner_;
    };

    void Abort();
    void Clear() { aborted_ = false; }
    bool Aborted() const { return aborted_; }

private:
    // Whoever takes the handle out (Abort, or the Request at its end) closes it.
    std::mutex lock_;
    HINTERNET inFlight_ = nullptr;
    std::atomic<bool> aborted_{false};
};
