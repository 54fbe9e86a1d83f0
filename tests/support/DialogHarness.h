#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// In-process helpers for tests that open the real dialogs from the real
// language modules.
namespace DialogHarness {

// Windows paths of the built program and its language modules ("en", "ja").
std::wstring BinFolder();
std::wstring ModulePath(const char* language);
std::wstring ProgramPath();

// Registers the common control classes (once), as the program does at start.
void InitControls();

// Loads a language module and makes it the resource module while in scope;
// puts the previous resource module back and frees the module afterwards.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(const char* language);
    ~ScopedLanguage();
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

    HMODULE Module() const { return m_module; }
    // A string of this module (empty when missing).
    std::wstring String(UINT id) const;

private:
    HMODULE m_module = nullptr;
    HINSTANCE m_previous = nullptr;
};

// Drives the dialogs that open on this thread, modal ones included: a CBT
// hook sees each dialog ("#32770", message boxes too) activate, and a timer
// on that dialog then runs the next queued step with its handle, inside the
// dialog's own modal loop. A dialog that opens with no step left is recorded
// and cancelled, so a test never hangs on an unexpected window.
class ModalDriver
{
public:
    using Step = std::function<void(HWND dialog)>;

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    void Then(Step step) { m_steps.push_back(std::move(step)); }
    // A dialog that is already open and takes no step when it is activated
    // again (a modeless window under test whose message boxes are driven).
    void Ignore(HWND dialog) { m_seen.push_back(dialog); }
    // Progress windows of long work come and go with the machine's speed:
    // they take no step unless a test asks to drive them.
    void DriveProgressWindows(bool drive) { m_driveProgress = drive; }

    // Dialogs that opened with no step left, by caption.
    const std::vector<std::wstring>& Unexpected() const { return m_unexpected; }
    size_t PendingSteps() const { return m_steps.size(); }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND window, UINT, UINT_PTR id, DWORD);

    HHOOK m_hook = nullptr;
    std::deque<Step> m_steps;
    std::vector<HWND> m_seen;
    std::vector<std::wstring> m_unexpected;
    bool m_driveProgress = false;
};

// A message box's caption and text (static 0xFFFF), and the window's class.
std::wstring WindowText(HWND window);
std::wstring MessageBoxText(HWND box);
bool IsDialogWindow(HWND window);

// Dispatches this thread's pending messages through IsDialogMessage of
// `dialog`, as a modeless dialog's message loop does.
void PumpMessages(HWND dialog = nullptr);

// Renders a window's client area (WM_PRINTCLIENT) into a 32-bit bitmap and
// counts the pixels of exactly this colour.
int CountPixels(HWND window, COLORREF color);

} // namespace DialogHarness
