#pragma once
// Tables of texts and what a rule makes of each.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

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

} // namespace TextCases
