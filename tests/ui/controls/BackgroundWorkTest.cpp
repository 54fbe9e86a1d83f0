// Long work off the window's thread: a work that throws ends as failed, its
// exception in the log, and the window's next work runs as ever.
#include "ui/controls/BackgroundWork.h"

#include "base/CLogSupport.h"
#include "base/WorkerThread.h"
#include "tests/support/TestEnv.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

TEST(BackgroundWork, AWorkThatThrowsEndsAsFailedAndTheNextWorkRuns)
{
    const std::wstring folder = TestEnv::ScratchFolder("background_work");
    const std::string path = TestEnv::Narrow(folder) + "\\quillon.log";
    CLogSupport log;
    log.Open(path.c_str());
    WorkerThread::SetLog(&log);

    const struct {
        const char* what;
        bool onItsThread;
    } ways[] = {{"on a thread of its own", true}, {"on the caller's thread", false}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        BackgroundWork failing([](BackgroundWork&) { throw std::runtime_error("no room for the photo list"); });
        if (way.onItsThread) {
            ASSERT_TRUE(failing.Start());
            EXPECT_TRUE(failing.WaitForFinish(INFINITE));
        } else {
            failing.RunHere();
        }
        EXPECT_TRUE(failing.Finished());
        EXPECT_TRUE(failing.Failed());

        bool ran = false;
        BackgroundWork next([&](BackgroundWork&) { ran = true; });
        ASSERT_TRUE(next.Start());
        EXPECT_TRUE(next.WaitForFinish(INFINITE));
        EXPECT_TRUE(ran);
        EXPECT_FALSE(next.Failed());
    }
    WorkerThread::SetLog(nullptr);
    log.Close();
    const std::string text = TestEnv::ReadBytes(TestEnv::Widen(path));
    size_t found = 0;
    for (size_t at = text.find("no room for the photo list"); at != std::string::npos;
         at = text.find("no room for the photo list", at + 1))
        ++found;
    EXPECT_EQ(found, 2u) << text;
}
