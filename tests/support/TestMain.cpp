#include <windows.h>
#include <objbase.h>

#include <clocale>

#include <gtest/gtest.h>

// Every test program runs as the program does: the user's locale for the C
// library and an apartment for COM.
int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
