#include "base/CLogSupport.h"

#include "base/ScopedHandles.h"
#include "base/UserCodePage.h"

#include <windows.h>
#include <share.h>

#include <cstdlib>
#include <ctime>
#include <climits>

namespace {

// Size of the file as read through a handle of its own; 0 when the file
// cannot be opened for reading (missing, or held by another process).
uint64_t FileSize(const char* path)
{
    const UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER size{};
    const bool known = GetFileSizeEx(file.get(), &size) != FALSE;
    return known && size.QuadPart > 0 ? uint64_t(size.QuadPart) : 0;
}

} // namespace

CLogSupport::CLogSupport(uint32_t sizeLimit) : sizeLimit_(sizeLimit)
{
}

CLogSupport::~CLogSupport()
{
    Close();
}

bool CLogSupport::Open(const char* path)
{
    Close();
    std::lock_guard<std::mutex> guard(lock_);
    if (!path)
        path = "";
    if (sizeLimit_ != 0 && FileSize(path) > sizeLimit_) {
        // One step that replaces the old log only when the current one can
        // move: while another instance holds the log, both files stay as
        // they are and the rotation waits for a later start.
        const std::string old = std::string(path) + ".old";
        MoveFileExA(path, old.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    stream_ = _fsopen(path, "at", _SH_DENYNO);
    open_ = true;
    path_ = path;
    return stream_ != nullptr;
}

void CLogSupport::Close()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return;
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    open_ = false;
    path_.clear();
}

void CLogSupport::Write(const char* text)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || !stream_)
        return;
    // The time, read under the lock too: localtime's result is shared.
    const std::time_t now = std::time(nullptr);
    char prefix[64] = {};
    if (const std::tm* local = std::localtime(&now))
        std::strftime(prefix, sizeof(prefix), "%Y/%m/%d %H:%M:%S ", local);
    // Into the stream's buffer and out in one flush.
    std::fputs(prefix, stream_);
    std::fputs(text ? text : "", stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void CLogSupport::WriteWide(const std::wstring& text)
{
    Write(UserCodePageFromWide(text).c_str());
}
