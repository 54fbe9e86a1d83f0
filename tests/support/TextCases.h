#pragma once
// Tables of texts and what a rule makes of each.
#include <gtest/gtest.h>

#include <algorithm>
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
    std::vector<long long> numbers;
    for (size_t at = text.find_first_of(L"0123456789"); at != std::wstring::npos;
         at = text.find_first_of(L"0123456789", at)) {
        const size_t end = std::min(text.find_first_not_of(L"0123456789", at), text.size());
        numbers.push_back(std::stoll(text.substr(at, end - at)));
        at = end;
    }
    return numbers;
}

} // namespace TextCases
