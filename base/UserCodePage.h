#pragma once
#include <string>

// Narrow text in the user's code page (the C library locale that start-up
// sets to the user's default) and UTF-16, converted both ways.
std::wstring WideFromUserCodePage(const char* text);
std::string UserCodePageFromWide(const std::wstring& text);
