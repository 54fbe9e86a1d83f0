// The one thread owner: what a worker throws is logged and handed to its
// owner, and the program goes on; an owner that goes (a throw on its own
// thread included) waits for its thread first.
#include "base/WorkerThread.h"

#include "base/CLogSupport.h"
#include "tests/support/TestEnv.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string Ascii(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The log for the workers' failures, for one test.
class FailureLog
{
public:
    explicit FailureLog(const char* name) : path_(Ascii(TestEnv::ScratchFolder(name) + L"\\quillon.log"))
    {
        log_.Open(path_.c_str());
        WorkerThread::SetLog(&log_);
    }
    ~FailureLog() { WorkerThread::SetLog(nullptr); }
    std::string Text() const { return TestEnv::ReadBytes(TestEnv::Widen(path_)); }

private:
    std::string path_;
    CLogSupport log_;
};

} // namespace

TEST(WorkerThread, WhatAWorkerThrowsIsLoggedAndReportedAndTheProgramGoesOn)
{
    const struct {
        const char* what;
        void (*body)();
        const char* reported; // null: nothing thrown
    } cases[] = {
        {"a standard exception", [] { throw std::runtime_error("the disk caught fire"); }, "the disk caught fire"},
        {"out of memory", [] { throw std::bad_alloc(); }, "bad_alloc"},
        {"an exception of no standard class", [] { throw 42; }, "unknown exception"},
        {"nothing thrown", [] {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FailureLog log("worker_thread_failure");
        std::string reported;
        std::atomic<bool> told{false};
        {
            WorkerThread thread;
            ASSERT_TRUE(thread.Start("test worker", c.body, [&](const std::string& what) {
                reported = what;
                told = true;
            }));
            thread.Join();
            EXPECT_FALSE(thread.Joinable());
        }
        if (c.reported) {
            EXPECT_TRUE(told);
            EXPECT_NE(reported.find(c.reported), std::string::npos) << reported;
            const std::string text = log.Text();
            EXPECT_NE(text.find("test worker"), std::string::npos) << text;
            EXPECT_NE(text.find(c.reported), std::string::npos) << text;
        } else {
            EXPECT_FALSE(told);
            EXPECT_EQ(log.Text(), "");
        }
        // The program goes on: the next worker runs as ever.
        std::atomic<bool> ran{false};
        WorkerThread next;
        ASSERT_TRUE(next.Start("next worker", [&] { ran = true; }));
        next.Join();
        EXPECT_TRUE(ran);
    }
}

TEST(WorkerThread, AThrowOnTheOwnersThreadWaitsForTheWorkerBeforeGoingOn)
{
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    try {
        WorkerThread thread;
        ASSERT_TRUE(thread.Start("slow worker", [&] {
            started = true;
            Sleep(50); // still at work when its owner goes
            finished = true;
        }));
        while (!started)
            Sleep(1);
        throw std::runtime_error("the owner fails");
    } catch (const std::runtime_error&) {
        // The owner is gone: its worker ended before it, not after.
        EXPECT_TRUE(finished);
    }
}
