#pragma once
// What the benchmarks that open the program's own windows share: COM and the
// common controls readied as the program readies them, the English language
// module beside the program, settings of the benchmark's own, and a pump of
// the thread's messages.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "app/CAppModule.h"
#include "app/SettingsPath.h"
#include "service/PicasaClient.h"
#include "ui/controls/CommonControls.h"

namespace bench {

// False, with a line on stderr, when the language module is missing.
// `iniName` is a settings file in the temporary folder, started afresh (so
// the stored sort columns are 0).
inline bool ReadyWindows(const char* program, const wchar_t* iniName, SettingsLocation& settings)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return false;
    InitCommonControlClasses();
    CAppModule::Init(GetModuleHandleW(nullptr));
    // ..\bin from bench\.
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\'));
    folder.resize(folder.find_last_of(L'\\'));
    HMODULE language = LoadLibraryW((folder + L"\\bin\\resource_en.dll").c_str());
    if (!language) {
        std::fprintf(stderr, "%s: no language module in %ls\\bin\n", program, folder.c_str());
        return false;
    }
    CAppModule::SetResourceInstance(language);
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring ini = std::wstring(temp) + iniName;
    DeleteFileW(ini.c_str());
    settings = SettingsLocation::File(ini);
    return true;
}

// `client` signed in to its server and its albums loaded; false, with a line
// on stderr, when either fails.
inline bool SignInAndLoadAlbums(const char* program, PicasaClient& client, const char* account, const wchar_t* password)
{
    if (client.Login(account, password, "bench") == ERROR_SUCCESS && client.LoadAlbums() == ERROR_SUCCESS)
        return true;
    std::fprintf(stderr, "%s: sign-in to %ls as %s failed\n", program, client.Access().PhotoServer().c_str(), account);
    return false;
}

// Dispatches what is queued, through the dialog manager of `dialog` if any.
inline void PumpMessages(HWND dialog = nullptr)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!dialog || !IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Pumps the thread's messages until `done`; false after 30 s.
template <class Done>
bool PumpUntil(HWND dialog, Done done)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages(dialog);
        if (done())
            return true;
        if (GetTickCount() - start > 30000)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
}

} // namespace bench
