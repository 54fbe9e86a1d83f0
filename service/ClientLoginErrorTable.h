#pragma once
#include <string>

// The error names of a failed ClientLogin reply. The login window shows its
// string 5700 + index; index 9 stands for a name outside the table.
constexpr unsigned kClientLoginErrorCount = 9;
constexpr unsigned kClientLoginErrorOther = 9;
constexpr unsigned kClientLoginErrorSlot = 50;

// Rows 0 to 8 and the empty slot that ends the list.
extern const wchar_t kClientLoginErrors[kClientLoginErrorCount + 1][kClientLoginErrorSlot];

// First row whose name equals `name` ignoring case, else 9 (also for "").
unsigned FindClientLoginError(const std::wstring& name);
