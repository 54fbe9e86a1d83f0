#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the platform's handles: each frees its handle once, when it
// goes out of scope. (WinHTTP's handles have their owner in http/.)

struct GdiObjectDeleter
{
    void operator()(HGDIOBJ object) const
    {
        if (object)
            DeleteObject(object);
    }
};

struct MenuDeleter
{
    void operator()(HMENU menu) const
    {
        if (menu)
            DestroyMenu(menu);
    }
};

struct GlobalDeleter
{
    void operator()(HGLOBAL block) const
    {
        if (block)
            GlobalFree(block);
    }
};

struct MemoryDcDeleter
{
    void operator()(HDC dc) const
    {
        if (dc)
            DeleteDC(dc);
    }
};

// A kernel object: a thread, an event, a file. CreateFile says "none" with
// INVALID_HANDLE_VALUE, the others with null; neither is closed.
struct KernelHandleCloser
{
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

struct IconDeleter
{
    void operator()(HICON icon) const
    {
        if (icon)
            DestroyIcon(icon);
    }
};

using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
using UniqueGlobal = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalDeleter>;
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// A window's device context from GetDC, released on scope exit.
class ScopedWindowDc
{
public:
    explicit ScopedWindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedWindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// An object selected into a device context, the previous one put back on
// scope exit.
class ScopedSelect
{
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (m_dc && m_previous)
            SelectObject(m_dc, m_previous);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
