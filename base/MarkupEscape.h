#pragma once
#include <string>
#include <string_view>

// Text made safe inside markup: & < > become entities, and with `quotes` the
// double quote too (for double-quoted attribute values). Nothing else
// changes.
std::wstring EscapeMarkup(std::wstring_view text, bool quotes);

// The text without the characters an XML document cannot hold, not even as
// a character reference: the control characters other than tab, CR and LF
// (a vertical tab is how some word processors paste a line break), U+FFFE,
// U+FFFF, and a surrogate without its other half. Everything else stays.
std::wstring WithoutNonXmlCharacters(std::wstring_view text);

// Element content for an XML document the program sends: the characters XML
// cannot hold left out, then & < > as entities.
inline std::wstring XmlElementText(std::wstring_view text)
{
    return EscapeMarkup(WithoutNonXmlCharacters(text), false);
}

// For HTML element content and double-quoted attribute values. Album titles
// come from the service, often from other people's albums, so they must never
// become live markup where the clipboard is pasted.
inline std::wstring HtmlEscape(std::wstring_view text)
{
    return EscapeMarkup(text, true);
}
