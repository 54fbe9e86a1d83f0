#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Fills a format from a language module: "%s" takes the next text, "%d" and
// "%u" the next number, "%%" is a percent sign. The arguments are checked
// against what the format asks for, so a translated string with a wrong or
// missing conversion shows its text instead of reading past the arguments:
// a conversion without a fitting argument is kept as written.
using TextArg = std::variant<std::wstring, int64_t>;

std::wstring FormatText(const std::wstring& format, const std::vector<TextArg>& args);

// A reply body as a message box shows it: at most about `limit` characters,
// cut with an ellipsis (the log keeps it whole).
std::wstring ClipForMessage(const std::wstring& body, size_t limit = 1000);
