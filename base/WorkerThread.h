#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/ScopedHandles.h"

class CLogSupport;

// Every thread the program starts: the owner that started it joins it (at
// the latest in its destructor, so that a throw on the owner's thread never
// leaves a running thread without one), and the thread's entry catches what
// its body throws. An exception is written to the log and handed to the
// owner's failure callback on the thread itself; the program goes on.
class WorkerThread
{
public:
    using Body = std::function<void()>;
    // On the worker's thread, after the log line: the exception's text.
    using Failure = std::function<void(const std::string& what)>;

    WorkerThread() = default;
    // Joins a thread still running.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    WorkerThread(WorkerThread&& other) noexcept;
    // Joins this owner's thread first.
    WorkerThread& operator=(WorkerThread&& other) noexcept;

    // Runs `body` on a new thread named `name` (in the log), with a stack of
    // `stackReserve` bytes reserved when not 0. False when no thread could be
    // had (nothing runs) or this owner already has one.
    bool Start(const char* name, Body body, Failure onFailure = {}, size_t stackReserve = 0);

    bool Joinable() const { return bool(thread_); }
    // Waits for the end; at once when there is no thread or it is the
    // calling one (a thread cannot wait for itself; it is let go instead).
    void Join();
    // Lets the thread end by itself: its body must own all it uses.
    void Detach();
    // For waits on several objects; null when there is no thread.
    HANDLE Handle() const { return thread_.get(); }
    // The calling thread is this owner's.
    bool IsCurrent() const;

    // Runs `body` here with the catch of a thread's entry: an exception is
    // logged (under `name`) and handed to `onFailure`; false then.
    static bool Guarded(const char* name, const Body& body, const Failure& onFailure = {}) noexcept;

    // Where the exceptions of every worker are written; set once by the
    // program at start (null: nowhere).
    static void SetLog(CLogSupport* log);

private:
    UniqueHandle thread_;
    DWORD id_ = 0;
};
