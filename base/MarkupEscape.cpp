#include "base/MarkupEscape.h"

std::wstring EscapeMarkup(std::wstring_view text, bool quotes)
{
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += quotes ? L"&quot;" : L"\"";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::wstring WithoutNonXmlCharacters(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n')
            continue;
        if (c == 0xFFFE || c == 0xFFFF)
            continue;
        if (c >= 0xD800 && c <= 0xDBFF) {
            // A pair stays whole; a first half without its second goes.
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                out += c;
                out += text[++i];
            }
            continue;
        }
        if (c >= 0xDC00 && c <= 0xDFFF)
            continue; // a second half without its first
        out += c;
    }
    return out;
}
