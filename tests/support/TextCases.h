#pragma once
// Tables of texts and what a rule makes of each.
#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/TestEnv.h"

namespace TextCases {

struct TextCase
{
    const wchar_t* in;
    const wchar_t* out;
};

inline void ExpectEach(const std::function<std::wstring(const std::wstring&)>& rule,
                       std::initializer_list<TextCase> cases)
{
    for (const TextCase& c : cases)
        EXPECT_EQ(rule(c.in), c.out) << TestEnv::Narrow(c.in);
}

// The numbers a text shows, in their order: the variable parts of a
// message, whatever its language.
inline std::vector<long long> NumbersIn(const std::wstring& text)
{
    const auto digit = [&](size_t at) { return text[at] >= L'0' && text[at] <= L'9'; };
    std::vector<long long> numbers;
    for (size_t at = 0; at < text.size(); ++at)
        if (digit(at) && (at == 0 || !digit(at - 1)))
            numbers.push_back(wcstoll(text.c_str() + at, nullptr, 10));
    return numbers;
}

} // namespace TextCases
