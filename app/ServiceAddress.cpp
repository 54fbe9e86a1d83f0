#include "app/ServiceAddress.h"

#include <cwctype>

namespace {

struct Parts
{
    AddressProblem problem = AddressProblem::None;
    std::wstring host;
};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::towlower(text[i]) != prefix[i])
            return false;
    return true;
}

bool IsHostChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L'.' || c == L'_';
}

Parts Split(const std::wstring& address)
{
    Parts parts;
    size_t first = address.find_first_not_of(L' ');
    size_t last = address.find_last_not_of(L' ');
    const std::wstring text = first == std::wstring::npos ? L"" : address.substr(first, last - first + 1);
    if (text.empty()) {
        parts.problem = AddressProblem::Empty;
        return parts;
    }
    size_t start = 0;
    if (StartsWithNoCase(text, L"http://"))
        start = 7;
    else if (StartsWithNoCase(text, L"https://"))
        start = 8;
    else {
        parts.problem = AddressProblem::Scheme;
        return parts;
    }
    std::wstring rest = text.substr(start);
    if (!rest.empty() && rest.back() == L'/')
        rest.pop_back();
    if (rest.find_first_of(L"/?#@") != std::wstring::npos) {
        parts.problem = AddressProblem::Extra;
        return parts;
    }
    std::wstring port;
    if (!rest.empty() && rest.front() == L'[') {
        // A literal IPv6 address: [::1]:8080.
        const size_t close = rest.find(L']');
        if (close == std::wstring::npos || close == 1) {
            parts.problem = AddressProblem::Host;
            return parts;
        }
        parts.host = rest.substr(0, close + 1);
        for (wchar_t c : parts.host.substr(1, close - 1))
            if (!std::iswxdigit(c) && c != L':' && c != L'.') {
                parts.problem = AddressProblem::Host;
                return parts;
            }
        rest = rest.substr(close + 1);
        if (!rest.empty() && rest.front() != L':') {
            parts.problem = AddressProblem::Host;
            return parts;
        }
        if (!rest.empty())
            port = rest.substr(1), rest = L":";
    } else {
        const size_t colon = rest.find(L':');
        parts.host = rest.substr(0, colon);
        if (colon != std::wstring::npos)
            port = rest.substr(colon + 1), rest = L":";
        if (parts.host.empty() || parts.host.front() == L'.' || parts.host.front() == L'-') {
            parts.problem = AddressProblem::Host;
            return parts;
        }
        for (wchar_t c : parts.host)
            if (!IsHostChar(c)) {
                parts.problem = AddressProblem::Host;
                return parts;
            }
    }
    if (rest == L":") {
        long value = 0;
        bool digits = !port.empty() && port.size() <= 5;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - L'0');
        }
        if (!digits || value < 1 || value > 65535) {
            parts.problem = AddressProblem::Port;
            return parts;
        }
    }
    // Well formed, but the platform's URL reader under Wine and with it the
    // same-origin checks take "[" for the host: refused here rather than
    // sent to a host that cannot be reached.
    if (parts.host.front() == L'[')
        parts.problem = AddressProblem::Ipv6;
    return parts;
}

} // namespace

AddressProblem CheckServiceAddress(const std::wstring& address)
{
    return Split(address).problem;
}

std::wstring AddressHost(const std::wstring& address)
{
    const Parts parts = Split(address);
    return parts.problem == AddressProblem::None ? parts.host : L"";
}
