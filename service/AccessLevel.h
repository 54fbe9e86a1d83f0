#pragma once
#include <string>

// Album access levels: 0 public, 1 private, 2 protected, 3 none.
constexpr unsigned kAccessLevelCount = 4;

// Index of the first row whose wire name equals `text` ignoring case
// (an empty text is row 3); 4 when no row matches.
unsigned FindAccessLevel(const std::wstring& text);

// The names of rows 0 to 3; "" for any larger index.
const wchar_t* AccessWireName(unsigned index);
const char* AccessWireNameA(unsigned index); // single-byte, for PATCH bodies
const wchar_t* AccessDisplayName(unsigned index); // built-in Japanese label
