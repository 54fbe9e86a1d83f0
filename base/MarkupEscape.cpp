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
