#pragma once
#include <cstddef>
#include <functional>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "http/WinHttpClient.h"

// Transports for requests that go out side by side. A WinHttpClient serves
// one request at a time, so each thread of a run gets one of its own; they
// are kept from one run to the next, with the connections they hold open.
class TransportPool
{
public:
    // One numbered job, on a worker thread, with that thread's transport.
    using Job = std::function<void(size_t index, WinHttpClient& transport)>;
    // On the calling thread after jobs have ended, with how many have ended
    // so far; false stops the run: no job starts after that.
    using Progress = std::function<bool(size_t ended)>;

    TransportPool() = default;
    ~TransportPool();
    TransportPool(const TransportPool&) = delete;
    TransportPool& operator=(const TransportPool&) = delete;

    // Runs job(0) to job(count - 1), started in that order, on up to
    // `workers` threads at once (COM initialised on each, and a
    // FeedDocumentFactory for the replies read there). Every transport
    // takes the time-outs and the certificate choice of `model` first.
    // Returns when every job that started has ended: how many started (all
    // of them unless `progress` stopped the run; always the first ones).
    size_t Run(size_t count, size_t workers, const WinHttpClient& model, const Job& job, const Progress& progress);

    // Transports made so far (one per worker of the largest run).
    size_t Size() const { return transports_.size(); }

    // From any thread: every transport's request under way is stopped and
    // no job starts any more (Run returns with those that started) until
    // ClearAbort.
    void Abort();
    void ClearAbort();

private:
    std::mutex transportsLock_; // Abort reads the list while Run may grow it
    std::vector<std::unique_ptr<WinHttpClient>> transports_;
    std::atomic<bool> aborted_{false};
};
