#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

// A small JSON reader for the test servers' control replies.
class Json
{
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    static Json Parse(const std::string& text); // Kind::Null on malformed text

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string string; // UTF-8
    std::vector<Json> array;
    std::map<std::string, Json> object;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
    size_t size() const { return kind == Kind::Array ? array.size() : object.size(); }
    long long Int() const { return (long long)number; }
};

// Quotes a UTF-8 text as a JSON string.
std::string JsonQuote(const std::string& text);
