#pragma once
// The real quillon.exe, started as a user would start it, against the
// stand-in service: the fixture that starts it, signs in and finds its files.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/Json.h"
#include "tests/support/TestEnv.h"
#include "tests/support/WindowDriver.h"

namespace ProgramFixture {

using namespace WindowDriver;

constexpr int kAccount = 1000;
constexpr int kPassword = 1001;
constexpr int kPublicOnly = 1044;
constexpr int kLanguageButton = 1031;
constexpr int kLanguageList = 1032;
constexpr int kAlbumList = 1003;
constexpr int kSelectAll = 1006;
constexpr int kListCopy = 32776;

// The clipboard's Unicode text, as another program pasting it would see it.
inline std::wstring ClipboardText()
{
    std::wstring text;
    // Another program (the one under test) may have it open for a moment.
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 10000))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline std::wstring Folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

inline std::wstring TempFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    std::wstring p = path;
    if (!p.empty() && p.back() == L'\\')
        p.pop_back();
    return p;
}

class Program : public testing::Test
{
protected:
    void SetUp() override
    {
        service = TestEnv::Server("photo_http");
        ASSERT_FALSE(service.empty()) << "the stand-in service is not running";
        ASSERT_EQ(LoopbackRequest(service, "POST", "/__control/reset", "{\"fixture\": \"demo\"}").status, 200);
        ini = Folder(CSIDL_LOCAL_APPDATA) + L"\\quillon.ini";
        dat = Folder(CSIDL_LOCAL_APPDATA) + L"\\quillon.dat";
        log = TempFolder() + L"\\quillon.log";
        for (const auto& f : {ini, dat, log, log + L".old"})
            DeleteFileW(f.c_str());
        const std::wstring base = TestEnv::Widen(service);
        WritePrivateProfileStringW(L"Service", L"AccountServer", base.c_str(), ini.c_str());
        WritePrivateProfileStringW(L"Service", L"PhotoServer", base.c_str(), ini.c_str());
        WritePrivateProfileStringW(L"Generic", L"Language", L"English", ini.c_str());
    }

    void TearDown() override
    {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    // Whether the started program has loaded a library of this file name.
    bool HasLoaded(const wchar_t* name) const
    {
        HMODULE modules[512];
        DWORD bytes = 0;
        if (!EnumProcessModulesEx(process.hProcess, modules, sizeof modules, &bytes, LIST_MODULES_ALL))
            ADD_FAILURE() << "the program's libraries cannot be listed: " << GetLastError();
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t file[MAX_PATH] = L"";
            if (GetModuleBaseNameW(process.hProcess, modules[i], file, MAX_PATH) && lstrcmpiW(file, name) == 0)
                return true;
        }
        return false;
    }

    void Start()
    {
        std::wstring exe = TestEnv::WinePath(TestEnv::Var("QUILLON_BUILD_DIR") + "/bin/quillon.exe");
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        // Only the start itself is tried again, and it says so: Wine under
        // load now and then fails to start a process, which says nothing of
        // the program.
        BOOL started = FALSE;
        DWORD error = 0;
        for (int attempt = 1; attempt <= 3 && !started; ++attempt) {
            started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                     &process);
            if (!started) {
                error = GetLastError();
                std::fprintf(stderr, "quillon.exe did not start (error %lu, attempt %d of 3)\n", error, attempt);
                std::fflush(stderr);
            }
        }
        ASSERT_TRUE(started) << "error " << error;
    }

    DWORD WaitExit(int timeoutMs = 30000)
    {
        if (WaitForSingleObject(process.hProcess, DWORD(timeoutMs)) != WAIT_OBJECT_0)
            return DWORD(-1);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    HWND LoginDialog() { return WaitForDialogWithControl(kPassword, 30000, process.dwProcessId); }
    HWND AlbumWindow() { return WaitForDialogWithControl(kAlbumList, 30000, process.dwProcessId); }

    // Signs in as a user would and waits for the album window.
    HWND SignIn(const wchar_t* account, const wchar_t* password)
    {
        HWND login = LoginDialog();
        if (!login)
            return nullptr;
        SetControlText(login, kAccount, account);
        SetControlText(login, kPassword, password);
        Click(login, IDOK);
        return AlbumWindow();
    }

    // Empties the clipboard, has a button or command of the program put
    // something there, and waits for the text.
    static void ClearClipboard()
    {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    static std::wstring WaitClipboard()
    {
        // Watched without opening it: a poll that opened the clipboard could
        // hold it just when the program tries to write, and make it give up.
        WaitUntil([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; });
        return ClipboardText();
    }
    // What the album list's context menu sends when Copy is chosen.
    static std::wstring CopyFromList(HWND albums)
    {
        ClearClipboard();
        PostMessageW(GetDlgItem(albums, kAlbumList), WM_COMMAND, kListCopy, 0);
        return WaitClipboard();
    }

    std::vector<Json> ClientLoginRequests()
    {
        Json reply = Json::Parse(LoopbackRequest(service, "GET", "/__control/requests?since=0").body);
        std::vector<Json> out;
        for (const Json& r : reply["requests"].array)
            if (r["path"].string == "/accounts/ClientLogin")
                out.push_back(r);
        return out;
    }

    std::string service;
    std::wstring ini, dat, log;
    PROCESS_INFORMATION process = {};
};

} // namespace ProgramFixture
