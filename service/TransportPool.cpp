#include "service/TransportPool.h"

#include "base/ComApartment.h"
#include "base/WorkerThread.h"
#include "service/FeedDocumentFactory.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace {

// What the workers of one run share with the calling thread.
struct RunState
{
    std::mutex lock;
    std::condition_variable changed;
    size_t count = 0;
    size_t next = 0;  // the next job to start; also how many have started
    size_t ended = 0;
    bool stop = false;

    // True once every started job has ended and none will start.
    bool Finished() const { return ended == next && (stop || next == count); }
};

void RunJobs(RunState& state, WinHttpClient& transport, const TransportPool::Job& job)
{
    for (;;) {
        size_t index = 0;
        bool aborted = false;
        {
            std::lock_guard<std::mutex> guard(state.lock);
            // The worker sees an abort itself: the calling thread may be
            // waiting on a job that will not come back soon.
            aborted = transport.Aborted() && !state.stop;
            if (aborted)
                state.stop = true;
            if (!state.stop && state.next < state.count)
                index = state.next++;
            else
                index = state.count;
        }
        if (index == state.count) {
            if (aborted)
                state.changed.notify_all(); // the run may be finished now
            return;
        }
        // A job that fails this way leaves its result as it found it; it
        // must not take the thread, and the run, down with it.
        try {
            job(index, transport);
        } catch (...) {
        }
        {
            std::lock_guard<std::mutex> guard(state.lock);
            ++state.ended;
        }
        state.changed.notify_all();
    }
}

void CopySettings(const WinHttpClient& model, WinHttpClient& transport)
{
    // The proxy fall-back needs nothing copied: every transport reads the
    // same browser settings when it needs them.
    transport.timeouts = model.timeouts;
    transport.acceptUntrustedCertificates = model.acceptUntrustedCertificates;
}

} // namespace

TransportPool::~TransportPool() = default;

void TransportPool::Abort()
{
    aborted_ = true;
    std::lock_guard<std::mutex> guard(transportsLock_);
    for (const std::unique_ptr<WinHttpClient>& transport : transports_)
        transport->Abort();
}

void TransportPool::ClearAbort()
{
    aborted_ = false;
    std::lock_guard<std::mutex> guard(transportsLock_);
    for (const std::unique_ptr<WinHttpClient>& transport : transports_)
        transport->ClearAbort();
}

size_t TransportPool::Run(size_t count, size_t workers, const WinHttpClient& model, const Job& job,
                          const Progress& progress)
{
    if (count == 0)
        return 0;
    if (workers < 1)
        workers = 1;
    if (workers > count)
        workers = count;
    {
        std::lock_guard<std::mutex> guard(transportsLock_);
        while (transports_.size() < workers) {
            transports_.push_back(std::make_unique<WinHttpClient>());
            if (aborted_)
                transports_.back()->Abort();
        }
    }
    for (size_t i = 0; i < workers; ++i)
        CopySettings(model, *transports_[i]);
    if (aborted_)
        return 0;

    RunState state;
    state.count = count;
    // Joined when they go, before the state they share: a throw on this
    // thread waits for them instead of leaving them running.
    std::vector<WorkerThread> threads;
    threads.reserve(workers);
    for (size_t i = 0; i < workers; ++i) {
        WinHttpClient& transport = *transports_[i];
        WorkerThread thread;
        const bool started = thread.Start(
            "requests",
            [&state, &transport, &job] {
                ComApartment com;
                // The replies of this thread's jobs are read into documents
                // of one class object.
                FeedDocumentFactory documents;
                RunJobs(state, transport, job);
            },
            [&state](const std::string&) {
                // A worker lost (logged): the run stops after the jobs under
                // way instead of waiting for it, and says how far it got.
                {
                    std::lock_guard<std::mutex> guard(state.lock);
                    state.stop = true;
                }
                state.changed.notify_all();
            });
        if (!started)
            break; // fewer threads than asked for: the ones there take every job
        threads.push_back(std::move(thread));
    }

    if (threads.empty()) {
        // Not even one thread: the jobs go one after another right here.
        for (size_t index = 0; index < count; ++index) {
            try {
                job(index, *transports_[0]);
            } catch (...) {
            }
            state.next = state.ended = index + 1;
            if (!progress(state.ended))
                break;
        }
        return state.next;
    }

    size_t reported = 0;
    bool stopped = false;
    for (;;) {
        size_t ended = 0;
        bool finished = false;
        {
            std::unique_lock<std::mutex> guard(state.lock);
            state.changed.wait(guard, [&] { return state.ended != reported || state.Finished(); });
            ended = state.ended;
            finished = state.Finished();
        }
        if (ended != reported) {
            reported = ended;
            if (!stopped && !progress(ended)) {
                stopped = true;
                std::lock_guard<std::mutex> guard(state.lock);
                state.stop = true;
                finished = state.Finished();
            }
        }
        if (finished)
            break;
    }
    for (WorkerThread& thread : threads)
        thread.Join();
    return state.next;
}
