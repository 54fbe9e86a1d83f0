#pragma once
#include <windows.h>

#include <string>

// The calls an album action makes on the service, one album at a time: the
// client implements them, and tests put a fake in its place.
class AlbumActionTarget
{
public:
    virtual ~AlbumActionTarget() = default;
    virtual DWORD DeleteAlbum(const std::wstring& editLink) = 0;
    virtual DWORD SetAlbumAccess(const std::wstring& editLink, unsigned accessIndex) = 0;
    virtual DWORD SetAlbumCommenting(const std::wstring& editLink, int flag) = 0;
    virtual void WriteLog(const std::wstring& text) = 0;
};
