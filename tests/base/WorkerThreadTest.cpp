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

TEST(WorkerThread, WhatAWorkerThrowsIsLoggedAndReportedAndTheProgramGoesOn)
{
    const std::string path = TestEnv::Narrow(TestEnv::ScratchFolder("worker_thread")) + "\\quillon.log";
    CLogSupport log;
    log.Open(path.c_str());
    WorkerThread::SetLog(&log);
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
        const size_t logged = TestEnv::ReadBytes(TestEnv::Widen(path)).size();
        std::string reported;
        {
            WorkerThread thread;
            ASSERT_TRUE(thread.Start("test worker", c.body, [&](const std::string& what) { reported = what; }));
            thread.Join();
            EXPECT_FALSE(thread.Joinable());
        }
        const std::string line = TestEnv::ReadBytes(TestEnv::Widen(path)).substr(logged);
        if (c.reported) {
            EXPECT_NE(reported.find(c.reported), std::string::npos) << reported;
            EXPECT_NE(line.find("test worker"), std::string::npos) << line;
            EXPECT_NE(line.find(c.reported), std::string::npos) << line;
        } else {
            EXPECT_EQ(reported, "");
            EXPECT_EQ(line, "");
        }
        // The program goes on: the next worker runs as ever.
        std::atomic<bool> ran{false};
        WorkerThread next;
        ASSERT_TRUE(next.Start("next worker", [&] { ran = true; }));
        next.Join();
        EXPECT_TRUE(ran);
    }
    WorkerThread::SetLog(nullptr);
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
