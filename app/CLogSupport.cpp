#include "app/CLogSupport.h"

#include "app/UserCodePage.h"

#include <windows.h>
#include <share.h>

#include <cstdlib>
#include <ctime>
#include <climits>

namespace {

uint64_t FileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
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
    if (open_)
        Close();
    if (!path)
        path = "";
    if (sizeLimit_ != 0 && FileSize(path) > sizeLimit_) {
        const std::string old = std::string(path) + ".old";
        DeleteFileA(old.c_str());
        MoveFileA(path, old.c_str());
    }
    stream_ = _fsopen(path, "at", _SH_DENYNO);
    open_ = true;
    path_ = path;
    return stream_ != nullptr;
}

void CLogSupport::Close()
{
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
    if (!open_ || !stream_)
        return;
    const std::time_t now = std::time(nullptr);
    char prefix[64] = {};
    if (const std::tm* local = std::localtime(&now))
        std::strftime(prefix, sizeof(prefix), "%Y/%m/%d %H:%M:%S ", local);
    std::fputs(prefix, stream_);
    std::fputs(text ? text : "", stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void CLogSupport::WriteWide(const std::wstring& text)
{
    Write(UserCodePageFromWide(text).c_str());
}
