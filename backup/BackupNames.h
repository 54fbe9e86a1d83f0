#pragma once
#include <string>
#include <vector>

// Names of a backup's folders and files, made from titles the service
// holds: safe on Windows, unique within their folder, the same from run to
// run for the same feed.

// The longest name (in UTF-16 units) a backup gives a file or a folder:
// short enough that <folder>\<album>\<file> stays usable by programs that
// know no long paths, with room for a " (NN)" counter.
inline constexpr size_t kMostBackupNameLength = 100;

// A title as a Windows file name: < > : " / \ | ? * and control characters
// become "_", trailing dots and blanks go, a reserved device name (CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, with any extension) gets "_" after its
// stem, a name longer than kMostBackupNameLength is shortened before its
// extension, and an empty result becomes `fallback`.
std::wstring SafeFileName(const std::wstring& title, const std::wstring& fallback);

// The extension (with its dot) a content type calls for: ".jpg" for
// image/jpeg, ".mp4" for video/mp4 and video/mpeg4, ... ; "" for an unknown
// type.
std::wstring ExtensionForType(const std::wstring& contentType);

// True when the name has an extension: a dot followed by 1 to 5 letters or
// digits at its end.
bool HasExtension(const std::wstring& name);

// One name per wanted name, in order: the first of each spelling (compared
// without case, as Windows does) keeps it, later ones get " (2)", " (3)" ...
// before their extension, skipping names already taken. A `reserved` name
// (the folder's own files) is taken before any wanted one.
std::vector<std::wstring> UniqueNames(const std::vector<std::wstring>& wanted,
                                      const std::vector<std::wstring>& reserved = {});

// The same name as Windows compares names: upper case.
std::wstring NameKey(const std::wstring& name);

// `name` with `suffix` after it, the name cut (and its trailing dots and
// blanks dropped) so that the whole stays within kMostBackupNameLength.
std::wstring NameWithSuffix(const std::wstring& name, const std::wstring& suffix);

// `folder` and `name` joined by one separator: none is added after a
// folder that ends in one already (a drive's root, "E:\").
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
