#pragma once
// Dropped files as the shell hands them to a window, for the upload tests.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

// An HDROP as the shell hands one over: the point, then the paths.
inline HDROP MakeDrop(POINT at, const std::vector<std::wstring>& paths)
{
    size_t chars = 1;
    for (const std::wstring& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->pt = at;
    files->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(files + 1);
    for (const std::wstring& p : paths) {
        std::copy(p.begin(), p.end(), out);
        out += p.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

