#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/MarkupEscape.h"

// The texts the lists and the URL list put on the clipboard, built without a
// window so that they can be checked byte for byte.

// Cell separators of the plain copies.
inline constexpr std::wstring_view kCommaSeparator = L", ";
inline constexpr std::wstring_view kTabSeparator = L"\t";

// Rows of cells: the cells of a row joined with separator, the rows joined
// with CR LF, no line break at the end.
std::wstring JoinTable(const std::vector<std::vector<std::wstring>>& rows, std::wstring_view separator);

// One cell of a link list: its text and, for a link cell, its address (an
// empty address exports the text).
struct CopyCell
{
    std::wstring text;
    std::wstring url;
};

struct CopyTexts
{
    std::wstring text; // plain, cells joined with ", "
    std::wstring html; // a table fragment
};

// The copy of a link list's selected rows: a header line, then one line per
// row, both as plain text and as an HTML table. A link cell shows its
// address in both. Cell texts, header texts and addresses are escaped in the
// HTML; the plain text carries them as they are. No rows: empty plain text.
CopyTexts BuildListCopy(const std::vector<std::wstring>& headers, const std::vector<std::vector<CopyCell>>& rows);

// The clipboard's "HTML Format" block for a UTF-8 fragment: the 134-byte
// header with its four offsets filled in, the fragment, CR LF and the 38-byte
// trailer (174 + fragment bytes in all). The writer adds the terminating
// zero bytes. Empty when the block would not fit its eight-digit offsets
// (kMostHtmlPayloadBytes).
constexpr size_t kMostHtmlPayloadBytes = 99999999;
std::string HtmlClipboardPayload(std::string_view utf8Fragment);

// UTF-16 text as UTF-8 bytes (empty for an empty or unconvertible text).
std::string Utf8FromWide(const std::wstring& text);
