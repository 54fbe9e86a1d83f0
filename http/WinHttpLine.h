#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>

#include "base/WorkerThread.h"

// The one way a request a user can cancel is cut at once: its blocking
// WinHTTP calls run on a thread of the transport's own, while the caller
// waits for the call's end or for the transport's stop event, whichever
// comes first. On a stop the caller goes on at once, even while the server
// stalls, and the call is left behind: it ends by itself (at the server's
// reply or the receive time-out) and runs none of the caller's callbacks
// again. A request handle is thus never closed under the thread using it,
// on Windows as under Wine. The next call gets a fresh thread when the one
// before is still busy with a call left behind.
class WinHttpLine
{
public:
    // Handed to each call: runs the caller's own callbacks (sinks, progress)
    // only while the caller still waits for the call.
    class Ticket
    {
    public:
        // f() under the call's lock; false without running it once the call
        // was left behind.
        bool Callback(const std::function<bool()>& f);

    private:
        friend class WinHttpLine;
        struct Pending;
        explicit Ticket(std::shared_ptr<Pending> pending) : pending_(std::move(pending)) {}
        std::shared_ptr<Pending> pending_;
    };

    // Everything the call uses must be owned by it (captured by value or by
    // shared pointer): a call left behind outlives the caller's wait.
    using Call = std::function<bool(Ticket&)>;

    WinHttpLine() = default;
    // Ends an idle thread and waits for it; a thread busy with a call left
    // behind is let go and ends after it.
    ~WinHttpLine();
    WinHttpLine(const WinHttpLine&) = delete;
    WinHttpLine& operator=(const WinHttpLine&) = delete;

    // Runs `call` on the line and returns its result; false at once when
    // `stop` (a manual-reset event, or null for none) is set first, with
    // `abandoned` then set. Without a thread to be had the call runs here.
    bool Run(Call call, HANDLE stop, bool& abandoned);

private:
    struct State;
    static void Serve(const std::shared_ptr<State>& state);
    void Retire();

    std::shared_ptr<State> state_;
    bool leftBehind_ = false; // the last call was left behind
    WorkerThread thread_;
};
