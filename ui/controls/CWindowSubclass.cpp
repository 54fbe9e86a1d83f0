#include "ui/controls/CWindowSubclass.h"

#include <new>
#include <unordered_map>

#include "ui/controls/CallbackGuard.h"

namespace {

// Per subclassed window: the object that sees its messages (none once the
// object let go while another procedure sat on top of this one) and the
// procedure that was there before.
struct Subclassed
{
    CWindowSubclass* object = nullptr;
    WNDPROC previous = nullptr;
};

SRWLOCK g_lock = SRWLOCK_INIT;

// Never destroyed: a window may still get a message while the process ends.
std::unordered_map<HWND, Subclassed>& Table()
{
    static auto* table = new std::unordered_map<HWND, Subclassed>();
    return *table;
}

bool Find(HWND window, Subclassed& found)
{
    AcquireSRWLockShared(&g_lock);
    const auto& table = Table();
    const auto entry = table.find(window);
    const bool known = entry != table.end();
    if (known)
        found = entry->second;
    ReleaseSRWLockShared(&g_lock);
    return known;
}

void Forget(HWND window)
{
    AcquireSRWLockExclusive(&g_lock);
    Table().erase(window);
    ReleaseSRWLockExclusive(&g_lock);
}

} // namespace

CWindowSubclass::~CWindowSubclass()
{
    Unsubclass();
}

bool CWindowSubclass::Subclass(HWND window)
{
    if (m_hWnd || !window || !IsWindow(window))
        return false;
    bool done = false;
    AcquireSRWLockExclusive(&g_lock);
    try {
        auto& table = Table();
        const auto entry = table.find(window);
        if (entry != table.end()) {
            // Our procedure is on the window already: this object takes it.
            entry->second.object = this;
            m_previous = entry->second.previous;
            done = true;
        } else {
            table.emplace(window, Subclassed{this, nullptr});
            SetLastError(0);
            const auto previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
            if (previous || GetLastError() == 0) {
                table[window].previous = previous;
                m_previous = previous;
                done = true;
            } else {
                table.erase(window);
            }
        }
    } catch (const std::bad_alloc&) {
        done = false;
    }
    ReleaseSRWLockExclusive(&g_lock);
    if (done)
        m_hWnd = window;
    return done;
}

void CWindowSubclass::Unsubclass()
{
    if (!m_hWnd)
        return;
    AcquireSRWLockExclusive(&g_lock);
    auto& table = Table();
    const auto entry = table.find(m_hWnd);
    if (entry != table.end() && entry->second.object == this) {
        // Put the old procedure back only when nobody subclassed on top of
        // this one since; otherwise stay in the chain, passing everything on.
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &SubclassProc) {
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->second.previous));
            table.erase(entry);
        } else {
            entry->second.object = nullptr;
        }
    }
    ReleaseSRWLockExclusive(&g_lock);
    m_hWnd = nullptr;
    m_previous = nullptr;
}

LRESULT CWindowSubclass::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWindowSubclass::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_previous ? CallWindowProcW(m_previous, m_hWnd, message, wParam, lParam)
                      : DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowSubclass::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Subclassed subclassed;
    if (!Find(hWnd, subclassed))
        return DefWindowProcW(hWnd, message, wParam, lParam);
    auto passOn = [&] {
        return subclassed.previous ? CallWindowProcW(subclassed.previous, hWnd, message, wParam, lParam)
                                   : DefWindowProcW(hWnd, message, wParam, lParam);
    };
    CWindowSubclass* self = subclassed.object;
    if (!self) {
        const LRESULT rc = passOn();
        if (message == WM_NCDESTROY)
            Forget(hWnd);
        return rc;
    }
    bool passedOn = false;
    try {
        if (message == WM_NCDESTROY) {
            self->OnFinalMessage();
            passedOn = true;
            const LRESULT rc = passOn();
            Forget(hWnd);
            self->m_hWnd = nullptr;
            self->m_previous = nullptr;
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
        const LRESULT rc = passedOn ? 0 : passOn();
        Forget(hWnd);
        self->m_hWnd = nullptr;
        self->m_previous = nullptr;
        return rc;
    }
    return passOn();
}
