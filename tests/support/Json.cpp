#include "tests/support/Json.h"

#include <cstdlib>

namespace {

struct Reader
{
    const std::string& s;
    size_t i = 0;
    bool ok = true;

    void Space()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t'))
            ++i;
    }

    static void PutUtf8(std::string& out, unsigned cp)
    {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    unsigned Hex4()
    {
        if (i + 4 > s.size()) {
            ok = false;
            return 0;
        }
        unsigned v = unsigned(std::strtoul(s.substr(i, 4).c_str(), nullptr, 16));
        i += 4;
        return v;
    }

    std::string String()
    {
        std::string out;
        ++i; // opening quote
        while (ok && i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i >= s.size()) {
                ok = false;
                break;
            }
            char e = s[i++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                unsigned cp = Hex4();
                if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i] == '\\' && s[i + 1] == 'u') {
                    i += 2;
                    unsigned lo = Hex4();
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                }
                PutUtf8(out, cp);
                break;
            }
            default: out += e; break;
            }
        }
        if (i >= s.size())
            ok = false;
        else
            ++i; // closing quote
        return out;
    }

    Json Value()
    {
        Json v;
        Space();
        if (i >= s.size()) {
            ok = false;
            return v;
        }
        char c = s[i];
        if (c == '{') {
            v.kind = Json::Kind::Object;
            ++i;
            Space();
            if (i < s.size() && s[i] == '}') {
                ++i;
                return v;
            }
            while (ok) {
                Space();
                if (i >= s.size() || s[i] != '"') {
                    ok = false;
                    break;
                }
                std::string key = String();
                Space();
                if (i >= s.size() || s[i] != ':') {
                    ok = false;
                    break;
                }
                ++i;
                v.object[key] = Value();
                Space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == '}') {
                    ++i;
                    break;
                }
                ok = false;
            }
        } else if (c == '[') {
            v.kind = Json::Kind::Array;
            ++i;
            Space();
            if (i < s.size() && s[i] == ']') {
                ++i;
                return v;
            }
            while (ok) {
                v.array.push_back(Value());
                Space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == ']') {
                    ++i;
                    break;
                }
                ok = false;
            }
        } else if (c == '"') {
            v.kind = Json::Kind::String;
            v.string = String();
        } else if (s.compare(i, 4, "true") == 0) {
            v.kind = Json::Kind::Bool;
            v.boolean = true;
            i += 4;
        } else if (s.compare(i, 5, "false") == 0) {
            v.kind = Json::Kind::Bool;
            i += 5;
        } else if (s.compare(i, 4, "null") == 0) {
            i += 4;
        } else {
            char* end = nullptr;
            v.number = std::strtod(s.c_str() + i, &end);
            if (end == s.c_str() + i)
                ok = false;
            else
                v.kind = Json::Kind::Number;
            i = size_t(end - s.c_str());
        }
        return v;
    }
};

const Json kNull;

} // namespace

Json Json::Parse(const std::string& text)
{
    Reader r{text};
    Json v = r.Value();
    return r.ok ? v : Json();
}

const Json& Json::operator[](const std::string& key) const
{
    auto it = object.find(key);
    return it == object.end() ? kNull : it->second;
}

const Json& Json::operator[](size_t index) const
{
    return index < array.size() ? array[index] : kNull;
}

std::string JsonQuote(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}
