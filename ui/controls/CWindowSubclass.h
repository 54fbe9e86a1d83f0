#pragma once
#include <windows.h>

// Subclasses an existing window (usually a dialog control) so that a C++
// object sees its messages first. Unsubclasses on destruction and when the
// window is destroyed.
//
// The window procedure is replaced directly and the object found in a table
// of the process's own: the common controls' subclassing looks its data up
// in the window's properties on every message, which under Wine is a call
// into the server each time (tens of microseconds: most of the cost of
// filling a list of thousands of rows).
class CWindowSubclass
{
public:
    CWindowSubclass() = default;
    virtual ~CWindowSubclass();

    CWindowSubclass(const CWindowSubclass&) = delete;
    CWindowSubclass& operator=(const CWindowSubclass&) = delete;

    bool Subclass(HWND window);
    void Unsubclass();
    HWND Handle() const { return m_hWnd; }

protected:
    // The default passes the message on to the window's own procedure.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called with the window still valid, just before it is unsubclassed
    // because it is being destroyed.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_previous = nullptr;
};
