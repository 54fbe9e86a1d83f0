#include "http/WinHttpLine.h"

#include <condition_variable>

#include "base/ScopedHandles.h"

struct WinHttpLine::Ticket::Pending
{
    Call call;
    std::mutex lock; // over the caller's callbacks and the flags
    bool abandoned = false;
    bool finished = false;
    bool result = false;
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

struct WinHttpLine::State
{
    std::mutex lock;
    std::condition_variable changed;
    std::shared_ptr<Ticket::Pending> next;
    bool busy = false; // a call runs (or was left behind and runs still)
    bool quit = false;
};

bool WinHttpLine::Ticket::Callback(const std::function<bool()>& f)
{
    std::lock_guard<std::mutex> guard(pending_->lock);
    return !pending_->abandoned && f();
}

WinHttpLine::~WinHttpLine()
{
    Retire();
}

void WinHttpLine::Retire()
{
    if (!state_)
        return;
    bool busy = false;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->quit = true;
        busy = state_->busy;
    }
    state_->changed.notify_all();
    if (busy)
        thread_.Detach();
    else
        thread_.Join();
    state_.reset();
}

void WinHttpLine::Serve(const std::shared_ptr<State>& state)
{
    std::unique_lock<std::mutex> hold(state->lock);
    for (;;) {
        state->changed.wait(hold, [&] { return state->quit || state->next; });
        if (!state->next)
            return;
        const std::shared_ptr<Ticket::Pending> pending = std::move(state->next);
        state->busy = true;
        hold.unlock();
        bool result = false;
        bool wanted = false;
        {
            std::lock_guard<std::mutex> guard(pending->lock);
            wanted = !pending->abandoned;
        }
        if (wanted) {
            Ticket ticket(pending);
            // A call that throws has failed; its caller still hears of it.
            WorkerThread::Guarded("request line", [&] { result = pending->call(ticket); });
        }
        // What the call held goes now, outside every lock: it may be the
        // transport's last reference.
        pending->call = nullptr;
        {
            std::lock_guard<std::mutex> guard(pending->lock);
            pending->result = result;
            pending->finished = true;
        }
        SetEvent(pending->done.get());
        hold.lock();
        state->busy = false;
    }
}

bool WinHttpLine::Run(Call call, HANDLE stop, bool& abandoned)
{
    abandoned = false;
    auto pending = std::make_shared<Ticket::Pending>();
    pending->call = std::move(call);
    if (leftBehind_) {
        // The call before was left behind and may run still: this one does
        // not wait for it, but gets a thread of its own.
        leftBehind_ = false;
        Retire();
    }
    if (!state_) {
        auto state = std::make_shared<State>();
        if (pending->done && thread_.Start("request line", [state] { Serve(state); }))
            state_ = state;
    }
    if (!state_ || !pending->done) {
        // No thread (or nothing to wait on): the wait is the caller's own.
        Ticket ticket(pending);
        bool result = false;
        WorkerThread::Guarded("request", [&] { result = pending->call(ticket); });
        return result;
    }
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->next = pending;
    }
    state_->changed.notify_all();
    HANDLE waits[2] = {pending->done.get(), stop};
    WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE);
    std::lock_guard<std::mutex> guard(pending->lock);
    if (pending->finished)
        return pending->result;
    pending->abandoned = true;
    abandoned = true;
    leftBehind_ = true;
    return false;
}
