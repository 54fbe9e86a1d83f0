#include "base/WorkerThread.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <memory>

#include "base/CLogSupport.h"

namespace {

std::atomic<CLogSupport*> g_log{nullptr};

// What the thread owns: its body outlives the owner when it is let go.
struct Launch
{
    std::string name;
    WorkerThread::Body body;
    WorkerThread::Failure onFailure;
};

void Report(const char* name, const char* what, const WorkerThread::Failure& onFailure) noexcept
{
    try {
        char line[512];
        std::snprintf(line, sizeof line, "Thread \"%s\" stopped by an exception: %s", name, what);
        OutputDebugStringA(line);
        if (CLogSupport* log = g_log.load())
            log->Write(line);
        if (onFailure)
            onFailure(what);
    } catch (...) {
        // Nothing more can be told without memory.
    }
}

DWORD WINAPI Entry(void* parameter)
{
    const std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
    WorkerThread::Guarded(launch->name.c_str(), launch->body, launch->onFailure);
    return 0;
}

} // namespace

WorkerThread::~WorkerThread()
{
    Join();
}

WorkerThread::WorkerThread(WorkerThread&& other) noexcept : thread_(std::move(other.thread_)), id_(other.id_)
{
    other.id_ = 0;
}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept
{
    if (this != &other) {
        Join();
        thread_ = std::move(other.thread_);
        id_ = other.id_;
        other.id_ = 0;
    }
    return *this;
}

bool WorkerThread::Guarded(const char* name, const Body& body, const Failure& onFailure) noexcept
{
    try {
        body();
        return true;
    } catch (const std::exception& failure) {
        Report(name, failure.what(), onFailure);
    } catch (...) {
        Report(name, "unknown exception", onFailure);
    }
    return false;
}

void WorkerThread::SetLog(CLogSupport* log)
{
    g_log = log;
}

bool WorkerThread::Start(const char* name, Body body, Failure onFailure, size_t stackReserve)
{
    if (thread_ || !body)
        return false;
    std::unique_ptr<Launch> launch;
    try {
        launch.reset(new Launch{name ? name : "", std::move(body), std::move(onFailure)});
    } catch (...) {
        return false;
    }
    // Suspended until the owner knows it: a body may ask its owner whether
    // it runs on its thread.
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, stackReserve, Entry, launch.get(),
                                 CREATE_SUSPENDED | (stackReserve ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0), &id);
    if (!thread)
        return false;
    launch.release(); // the thread's now
    thread_.reset(thread);
    id_ = id;
    ResumeThread(thread);
    return true;
}

bool WorkerThread::IsCurrent() const
{
    return thread_ && id_ == GetCurrentThreadId();
}

void WorkerThread::Join()
{
    if (!thread_)
        return;
    if (!IsCurrent())
        WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    id_ = 0;
}

void WorkerThread::Detach()
{
    thread_.reset();
    id_ = 0;
}
