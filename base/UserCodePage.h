#pragma once
#include <string>

// Narrow text in the user's code page (the C library locale that start-up
// sets to the user's default) and UTF-16, converted both ways.
std::wstring WideFromUserCodePage(const char* text);
std::string UserCodePageFromWide(const std::wstring& text);
// At most `maxBytes` bytes, cut only between characters: a double-byte
// character or a surrogate pair is kept whole or left out whole.
std::string UserCodePageFromWide(const std::wstring& text, size_t maxBytes);
