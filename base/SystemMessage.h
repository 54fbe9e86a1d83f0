#pragma once
#include <windows.h>

#include <string>

// The system's own words for an error code, in the user's language, with
// the number after them: "There is not enough space on the disk. (112)".
// WinHTTP's codes (12001-12199) are read from its module. A code the system
// has no words for gives the number alone.
std::wstring SystemMessage(DWORD error);
