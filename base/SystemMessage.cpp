#include "base/SystemMessage.h"

std::wstring SystemMessage(DWORD error)
{
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE source = nullptr;
    if (error > 12000 && error < 12200) {
        source = GetModuleHandleW(L"winhttp.dll");
        if (source)
            flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    wchar_t* text = nullptr;
    FormatMessageW(flags, source, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    const std::wstring number = L"(" + std::to_wstring(error) + L")";
    return message.empty() ? number : message + L" " + number;
}
