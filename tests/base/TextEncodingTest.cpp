// The one UTF-8 conversion and the one percent-encoder that every layer uses.
#include "base/PercentEncoding.h"
#include "base/Utf8Text.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

std::string Hex(const std::string& bytes)
{
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02X ", c);
        out += two;
    }
    return out;
}

} // namespace

// Text that is valid both ways: the bytes it makes, and back again.
TEST(Utf8Text, ValidTextMakesItsBytesAndComesBackWhole)
{
    const struct { std::wstring text; std::string bytes; } cases[] = {
        {L"", ""},
        {L"album", "album"},
        {L"\u00c4b", "\xC3\x84" "b"},
        {L"\u65e5\u672c\u306e\u5199\u771f", "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE5\x86\x99\xE7\x9C\x9F"},
        {L"\U0001F600 \U00020B9F", "\xF0\x9F\x98\x80 \xF0\xA0\xAE\x9F"}, // surrogate pairs
        {L"a\0b"s, "a\0b"s},                                               // a NUL inside is a character
        {L"\uffff\u0080\u07ff\u0800", "\xEF\xBF\xBF\xC2\x80\xDF\xBF\xE0\xA0\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes));
        EXPECT_EQ(Hex(Utf8FromWide(c.text)), Hex(c.bytes));
        EXPECT_EQ(WideFromUtf8(c.bytes), c.text);
        EXPECT_EQ(WideFromUtf8(Utf8FromWide(c.text)), c.text);
    }
}

// What is not UTF-16 or not UTF-8 comes out as the replacement character,
// never as nothing and never as bytes that are not UTF-8.
TEST(Utf8Text, BrokenInputBecomesTheReplacementCharacter)
{
    const struct { std::wstring text; std::string bytes; } wide[] = {
        {L"a\xD800z", "a\xEF\xBF\xBDz"},  // a high surrogate alone
        {L"a\xDC00", "a\xEF\xBF\xBD"},    // a low surrogate alone, at the end
        {L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"}, // a pair the wrong way round
    };
    for (const auto& c : wide)
        EXPECT_EQ(Hex(Utf8FromWide(c.text)), Hex(c.bytes));

    const struct { std::string bytes; std::wstring text; } narrow[] = {
        {"\xFF", L"\xFFFD"},
        {"a\x80z", L"a\xFFFDz"},          // a continuation byte alone
        {"caf\xE9", L"caf\xFFFD"},        // Latin-1, not UTF-8
        {"\xC3", L"\xFFFD"},              // cut off after the first byte
    };
    for (const auto& c : narrow)
        EXPECT_EQ(WideFromUtf8(c.bytes), c.text) << Hex(c.bytes);
    // Longer broken sequences: at least one replacement, the rest kept.
    for (const std::string& bytes : {"x\xE6\x97y"s, "x\xC0\xAFy"s, "x\xED\xA0\x80y"s, "x\xF4\x90\x80\x80y"s}) {
        const std::wstring text = WideFromUtf8(bytes);
        ASSERT_GE(text.size(), 3u) << Hex(bytes);
        EXPECT_EQ(text.front(), L'x');
        EXPECT_EQ(text.back(), L'y');
        EXPECT_EQ(text.find_first_not_of(L'\xFFFD', 1), text.size() - 1) << Hex(bytes);
    }
}

// The form that fills a string in place replaces what it held, longer or
// shorter, and reports a conversion without room as a failure.
TEST(Utf8Text, ConversionIntoAStringReplacesItsText)
{
    std::wstring text = L"a much longer text that was there before";
    ASSERT_TRUE(WideFromUtf8("\xE4\xBA\xAC", text));
    EXPECT_EQ(text, L"\u4eac");
    ASSERT_TRUE(WideFromUtf8("", text));
    EXPECT_EQ(text, L"");
    std::string bytes = "old";
    ASSERT_TRUE(Utf8FromWide(L"\u4eac\u4eac", bytes));
    EXPECT_EQ(bytes, "\xE4\xBA\xAC\xE4\xBA\xAC");
    ASSERT_TRUE(Utf8FromWide(L"", bytes));
    EXPECT_EQ(bytes, "");
}

TEST(PercentEncoding, ReservedCharactersAreEncodedAndUnreservedKept)
{
    const struct { std::string bytes; std::string kept; std::string encoded; } cases[] = {
        {"", "-._~", ""},
        {"AZaz09-._~", "-._~", "AZaz09-._~"},
        {" !\"#$%&'()*+,/:;<=>?@[\\]^`{|}", "-._~",
         "%20%21%22%23%24%25%26%27%28%29%2A%2B%2C%2F%3A%3B%3C%3D%3E%3F%40%5B%5C%5D%5E%60%7B%7C%7D"},
        {"a@b:c", "@:", "a@b:c"},
        {"a.b", "", "a%2Eb"},
        {"\x00\x7F\x80\xFF"s, "-._~", "%00%7F%80%FF"},
        {"\x00"s, "\x00"s, "%00"}, // a NUL is never kept
        {"\xE6\x97\xA5", "-._~", "%E6%97%A5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentEncode(c.bytes, c.kept), c.encoded) << Hex(c.bytes);
    EXPECT_EQ(PercentEncode("a b~"), "a%20b~") << "the unreserved marks by default";
}

// Every byte either stands as itself (a letter, a digit or a kept mark) or
// as "%" and two capital hex digits that read back as that byte.
TEST(PercentEncoding, EveryByteReadsBack)
{
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, char(value));
        const std::string encoded = PercentEncode(byte, "-._~!");
        const bool plain = (value >= 'A' && value <= 'Z') || (value >= 'a' && value <= 'z') ||
                           (value >= '0' && value <= '9') || std::string("-._~!").find(char(value)) != std::string::npos;
        if (plain) {
            EXPECT_EQ(encoded, byte) << value;
            continue;
        }
        ASSERT_EQ(encoded.size(), 3u) << value;
        EXPECT_EQ(encoded[0], '%');
        EXPECT_EQ(encoded.find_first_not_of("0123456789ABCDEF", 1), std::string::npos) << encoded;
        EXPECT_EQ(std::stoi(encoded.substr(1), nullptr, 16), value);
    }
}
