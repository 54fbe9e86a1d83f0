#pragma once
#include <memory>

#include <windows.h>
#include <winhttp.h>

// Owns a WinHTTP session, connection or request handle. Kept apart from the
// other owners (base/ScopedHandles.h) so that nothing below the transport
// needs WinHTTP.
struct WinHttpHandleCloser
{
    void operator()(HINTERNET handle) const
    {
        if (handle)
            WinHttpCloseHandle(handle);
    }
};

using UniqueWinHttpHandle = std::unique_ptr<void, WinHttpHandleCloser>;
