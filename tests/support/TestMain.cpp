#include <windows.h>
#include <objbase.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

// Every test program runs as the program does: the user's locale for the C
// library and an apartment for COM.
static LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info)
{
    // End at once with a failure instead of waiting for a debugger.
    std::fprintf(stderr, "test program crashed: exception 0x%08lx at %p\n",
                 info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv)
{
    // Tells scripts/wine-run that the program has started: a test program
    // that ends without it was never started by Wine, and only that start is
    // tried again.
    if (const char* started = std::getenv("QUILLON_STARTED_FILE"))
        std::ofstream(std::filesystem::path(TestEnv::WinePath(started))) << "started\n";
    SetUnhandledExceptionFilter(EndOnCrash);
    std::setlocale(LC_ALL, "");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
