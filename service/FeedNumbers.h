#pragma once
#include <cstdint>
#include <string>

// Numbers of feed text: leading white space, an optional sign, decimal digits
// up to the first other character; no digits gives 0; out of range saturates.
int32_t FeedInt32(const std::wstring& text);
int64_t FeedInt64(const std::wstring& text); // quota and bytes used

// The C library's wide-text-to-double rule (no digits gives 0.0).
double FeedDouble(const std::wstring& text);
