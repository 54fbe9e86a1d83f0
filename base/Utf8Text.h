#pragma once
#include <string>
#include <string_view>

// The program's one conversion between UTF-16 and UTF-8. A lone surrogate in
// the text, or bytes that are not UTF-8, come out as U+FFFD; NULs inside are
// converted like any other character.

// False, with `out` empty, when there is no room for the result. `out` is
// sized once, so no copy of a secret is left behind by a reallocation.
bool Utf8FromWide(std::wstring_view text, std::string& out);
// The same; "" when there is no room.
std::string Utf8FromWide(std::wstring_view text);

// Converted once, straight into `out` (its room is reused): no more UTF-16
// units come out than there are bytes. False, with `out` empty, when there
// is no room.
bool WideFromUtf8(std::string_view bytes, std::wstring& out);
std::wstring WideFromUtf8(std::string_view bytes);
