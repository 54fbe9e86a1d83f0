#include "tests/support/DialogHarness.h"

#include "ui/controls/CommonControls.h"

#include "app/CAppModule.h"
#include "app/ResourceText.h"
#include "res/resource.h"
#include "tests/support/TestEnv.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

namespace DialogHarness {

namespace {
ModalDriver* g_driver = nullptr;
constexpr UINT_PTR kStepTimer = 0x5154;
// Dialogs whose step waits for them to show, and since when.
std::map<HWND, ULONGLONG> g_hiddenSince;
constexpr ULONGLONG kShowWaitMs = 20000;
} // namespace

std::wstring BinFolder()
{
    return TestEnv::WinePath(TestEnv::Var("QUILLON_BUILD_DIR") + "/bin");
}

std::wstring ModulePath(const char* language)
{
    return BinFolder() + L"\\resource_" + TestEnv::Widen(language) + L".dll";
}

std::wstring ProgramPath()
{
    return BinFolder() + L"\\quillon.exe";
}

void InitControls()
{
    static const bool done = InitCommonControlClasses();
    (void)done;
}

ScopedLanguage::ScopedLanguage(const char* language)
{
    InitControls();
    m_module = LoadLibraryW(ModulePath(language).c_str());
    m_previous = CAppModule::SetResourceInstance(m_module);
}

ScopedLanguage::~ScopedLanguage()
{
    CAppModule::SetResourceInstance(m_previous);
    if (m_module)
        FreeLibrary(m_module);
}

std::wstring ScopedLanguage::String(UINT id) const
{
    std::wstring text;
    LoadResourceString(m_module, id, text);
    return text;
}

ModalDriver::ModalDriver()
{
    g_driver = this;
    m_hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

ModalDriver::~ModalDriver()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_driver = nullptr;
    g_hiddenSince.clear();
}

LRESULT CALLBACK ModalDriver::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_driver) {
        HWND window = reinterpret_cast<HWND>(wParam);
        auto& seen = g_driver->m_seen;
        if (IsDialogWindow(window) && std::find(seen.begin(), seen.end(), window) == seen.end()) {
            seen.push_back(window);
            // Run the step from the dialog's own message loop, once the
            // activation is complete.
            SetTimer(window, kStepTimer, 10, TimerProc);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::TimerProc(HWND window, UINT, UINT_PTR id, DWORD)
{
    // A modal dialog is activated before it shows: its loop shows it when the
    // queue is first empty, which on a busy machine can come after this
    // timer is due. The step waits (the timer ticks on) until the dialog is
    // on screen as the user would see it; one that never shows gets its step
    // after a generous while.
    if (g_driver && !IsWindowVisible(window)) {
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG since = g_hiddenSince.try_emplace(window, now).first->second;
        if (now - since < kShowWaitMs)
            return;
    }
    g_hiddenSince.erase(window);
    KillTimer(window, id);
    if (!g_driver)
        return;
    if (!g_driver->m_driveProgress && GetDlgItem(window, IDC_LOAD_PROGRESS))
        return;
    if (g_driver->m_steps.empty()) {
        g_driver->m_unexpected.push_back(WindowText(window) + L" | " + MessageBoxText(window));
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    // Taken off the queue first: the step may open further dialogs.
    Step step = std::move(g_driver->m_steps.front());
    g_driver->m_steps.pop_front();
    step(window);
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(std::max(0, GetWindowTextW(window, text.data(), length + 1))));
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : L"";
}

bool IsDialogWindow(HWND window)
{
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0;
}

void PumpMessages(HWND dialog)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int CountPixels(HWND window, COLORREF color)
{
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return 0;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!bitmap || !dc) {
        if (dc)
            DeleteDC(dc);
        return 0;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const DWORD wanted = (DWORD(GetRValue(color)) << 16) | (DWORD(GetGValue(color)) << 8) | GetBValue(color);
    int count = 0;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        if ((pixels[i] & 0xffffff) == wanted)
            ++count;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return count;
}

} // namespace DialogHarness
