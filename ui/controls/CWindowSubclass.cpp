#include "ui/controls/CWindowSubclass.h"

#include <commctrl.h>

#include "ui/controls/CallbackGuard.h"

namespace {
// One id for all: an object subclasses at most one window at a time, and the
// reference data tells the objects apart.
constexpr UINT_PTR kSubclassId = 0x51554c4c;
} // namespace

CWindowSubclass::~CWindowSubclass()
{
    Unsubclass();
}

bool CWindowSubclass::Subclass(HWND window)
{
    if (m_hWnd || !window || !IsWindow(window))
        return false;
    if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = window;
    return true;
}

void CWindowSubclass::Unsubclass()
{
    if (m_hWnd) {
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
        m_hWnd = nullptr;
    }
}

LRESULT CWindowSubclass::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWindowSubclass::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowSubclass::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR refData)
{
    auto* self = reinterpret_cast<CWindowSubclass*>(refData);
    bool passedOn = false;
    try {
        if (message == WM_NCDESTROY) {
            self->OnFinalMessage();
            passedOn = true;
            LRESULT rc = DefSubclassProc(hWnd, message, wParam, lParam);
            RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
            self->m_hWnd = nullptr;
            return rc;
        }
        return self->WndProc(message, wParam, lParam);
    } catch (const std::exception& failure) {
        ReportCallbackFailure("a control", message, &failure);
    } catch (...) {
        ReportCallbackFailure("a control", message, nullptr);
    }
    if (message == WM_NCDESTROY) {
        // The window goes away whatever happened: never leave a dangling object.
        LRESULT rc = passedOn ? 0 : DefSubclassProc(hWnd, message, wParam, lParam);
        RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
        self->m_hWnd = nullptr;
        return rc;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}
