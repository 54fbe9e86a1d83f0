// Texts made fit for the XML documents the program sends.
#include "base/MarkupEscape.h"

#include <gtest/gtest.h>

#include "tests/support/TextCases.h"

TEST(XmlText, CharactersXmlCannotHoldAreLeftOutAndTabCrLfStay)
{
    TextCases::ExpectEach([](const std::wstring& text) { return WithoutNonXmlCharacters(text); },
                          {
                              {L"", L""},
                              {L"Line\vbreak", L"Linebreak"}, // a word processor's pasted line break
                              {L"a\fb\x01" L"c\x1F" L"d\x7F", L"abcd\x7F"},
                              {L"tab\there\r\nCR LF\nLF", L"tab\there\r\nCR LF\nLF"},
                              {L"\x1B[1mbold", L"[1mbold"},
                              {L"x\xFFFEy\xFFFFz", L"xyz"},
                              {L"smile \xD83D\xDE00!", L"smile \xD83D\xDE00!"}, // a whole pair
                              {L"half \xD83D!", L"half !"},
                              {L"half \xDE00!", L"half !"},
                              {L"end \xD83D", L"end "},
                              {L"\xDE00\xD83D", L""}, // halves in the wrong order
                              {L"\u5bcc\u58eb\u5c71 & <b>", L"\u5bcc\u58eb\u5c71 & <b>"},
                          });
    EXPECT_EQ(WithoutNonXmlCharacters(std::wstring(L"a\0b", 3)), L"ab");
    EXPECT_EQ(XmlElementText(L"R&D\v<lab>"), L"R&amp;D&lt;lab&gt;");
}
