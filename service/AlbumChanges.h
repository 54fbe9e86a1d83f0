#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The fields of one album that a single partial update changes; a field
// without a value stays as the service has it.
struct AlbumChanges
{
    std::optional<std::wstring> title;
    std::optional<std::wstring> summary;
    std::optional<std::wstring> location;
    std::optional<std::wstring> access;     // wire name
    std::optional<bool> commentingEnabled;
    std::optional<int64_t> timestampSeconds; // the album's date, seconds since 1970 UTC

    bool Empty() const
    {
        return !title && !summary && !location && !access && !commentingEnabled && !timestampSeconds;
    }
};
