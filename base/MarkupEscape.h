#pragma once
#include <string>
#include <string_view>

// Text made safe inside markup: & < > become entities, and with `quotes` the
// double quote too (for double-quoted attribute values). Nothing else
// changes.
std::wstring EscapeMarkup(std::wstring_view text, bool quotes);

// For HTML element content and double-quoted attribute values. Album titles
// come from the service, often from other people's albums, so they must never
// become live markup where the clipboard is pasted.
inline std::wstring HtmlEscape(std::wstring_view text)
{
    return EscapeMarkup(text, true);
}
