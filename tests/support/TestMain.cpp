#include <windows.h>
#include <objbase.h>

#include <clocale>
#include <cstdio>

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
    SetUnhandledExceptionFilter(EndOnCrash);
    std::setlocale(LC_ALL, "");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
