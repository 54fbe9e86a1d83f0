#pragma once
#include <optional>
#include <string>

// The fields of one photo that a single partial update changes; a field
// without a value stays as the service has it. A new album id moves the
// photo there.
struct PhotoChanges
{
    std::optional<std::wstring> title;
    std::optional<std::wstring> summary;
    std::optional<std::wstring> keywords; // comma separated
    std::optional<std::wstring> albumId;

    bool Empty() const { return !title && !summary && !keywords && !albumId; }
};
