#include "base/PercentEncoding.h"

std::string PercentEncode(std::string_view bytes, std::string_view kept)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    // Room for the worst case at once: the bytes may be a secret, and a
    // string that grows leaves copies of it behind.
    out.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c != 0 && kept.find(char(c)) != std::string_view::npos)) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}
