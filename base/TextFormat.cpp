#include "base/TextFormat.h"

#include <windows.h>

std::wstring FormatText(const std::wstring& format, const std::vector<TextArg>& args)
{
    std::wstring out;
    out.reserve(format.size() + 64);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c != L'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const wchar_t kind = format[i + 1];
        if (kind == L'%') {
            out += L'%';
            ++i;
            continue;
        }
        const TextArg* arg = next < args.size() ? &args[next] : nullptr;
        if (kind == L's' && arg && std::holds_alternative<std::wstring>(*arg)) {
            out += std::get<std::wstring>(*arg);
        } else if ((kind == L'd' || kind == L'u') && arg && std::holds_alternative<int64_t>(*arg)) {
            out += std::to_wstring(std::get<int64_t>(*arg));
        } else {
            out += c; // not ours, or no argument fits: as written
            continue;
        }
        ++next;
        ++i;
    }
    return out;
}

std::wstring ClipForMessage(const std::wstring& body, size_t limit)
{
    if (body.size() <= limit)
        return body;
    size_t cut = limit;
    if (cut > 0 && IS_HIGH_SURROGATE(body[cut - 1]))
        --cut; // never half a character
    return body.substr(0, cut) + L"\u2026";
}
