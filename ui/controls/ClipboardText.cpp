#include "ui/controls/ClipboardText.h"

#include "http/CUtf8Support.h"
#include "http/UrlText.h"

#include <cstdio>

std::wstring JoinTable(const std::vector<std::vector<std::wstring>>& rows, std::wstring_view separator)
{
    std::wstring out;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            out += L"\r\n";
        for (size_t j = 0; j < rows[i].size(); ++j) {
            if (j > 0)
                out += separator;
            out += rows[i][j];
        }
    }
    return out;
}

CopyTexts BuildListCopy(const std::vector<std::wstring>& headers, const std::vector<std::vector<CopyCell>>& rows)
{
    CopyTexts copy;
    std::wstring& t = copy.text;
    std::wstring& h = copy.html;
    h = L"<table>";
    if (!rows.empty()) {
        h += L"<tr>\r\n";
        for (size_t j = 0; j < headers.size(); ++j) {
            if (j > 0)
                t += kCommaSeparator;
            t += headers[j];
            h += L"<th>" + HtmlEscape(headers[j]) + L"</th>";
        }
        h += L"</tr>";
    }
    for (const auto& row : rows) {
        t += L"\r\n";
        // An empty line between the rows of the table, as spreadsheets paste
        // it without complaint.
        h += L"\r\n<tr>\r\n";
        for (size_t j = 0; j < row.size(); ++j) {
            const CopyCell& cell = row[j];
            if (j > 0)
                t += kCommaSeparator;
            t += cell.url.empty() ? cell.text : cell.url;
            h += L"<td>";
            // Only web addresses become links in the pasted table.
            if (IsWebAddress(cell.url)) {
                const std::wstring url = HtmlEscape(cell.url);
                h += L"<a href=\"" + url + L"\">" + url + L"</a>";
            } else {
                h += HtmlEscape(cell.url.empty() ? cell.text : cell.url);
            }
            h += L"</td>";
        }
        h += L"</tr>\r\n";
    }
    h += L"</table>\r\n";
    return copy;
}

namespace {

constexpr std::string_view kPayloadHeader = "Version:0.9\r\n"
                                            "StartHTML:00000000\r\n"
                                            "EndHTML:00000000\r\n"
                                            "StartFragment:00000000\r\n"
                                            "EndFragment:00000000\r\n"
                                            "<html><body>\r\n"
                                            "<!--StartFragment -->\r\n";
constexpr std::string_view kPayloadTrailer = "<!--EndFragment-->\r\n</body>\r\n</html>\r\n";
static_assert(kPayloadHeader.size() == 134);
static_assert(kPayloadTrailer.size() == 38);

// Writes value as eight digits over the eight zeros that follow label.
void FillNumber(std::string& payload, std::string_view label, size_t value)
{
    const size_t at = payload.find(label);
    if (at == std::string::npos)
        return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08u", unsigned(value));
    payload.replace(at + label.size(), 8, digits, 8);
}

size_t OffsetOf(const std::string& payload, std::string_view text)
{
    const size_t at = payload.find(text);
    return at == std::string::npos ? 0 : at;
}

} // namespace

std::string HtmlClipboardPayload(std::string_view utf8Fragment)
{
    std::string payload;
    const size_t size = kPayloadHeader.size() + utf8Fragment.size() + 2 + kPayloadTrailer.size();
    // Offsets past eight digits would overwrite the header's text.
    if (size > kMostHtmlPayloadBytes)
        return payload;
    payload.reserve(size);
    payload += kPayloadHeader;
    payload += utf8Fragment;
    payload += "\r\n";
    payload += kPayloadTrailer;

    // Offsets are searched in the finished payload, so a fragment that holds
    // the end marker itself moves EndFragment to its own copy of it.
    const size_t startHtml = OffsetOf(payload, "<html>");
    const size_t startFragment = OffsetOf(payload, "<!--StartFrag");
    const size_t endFragment = OffsetOf(payload, "<!--EndFrag");
    FillNumber(payload, "StartHTML:", startHtml);
    FillNumber(payload, "EndHTML:", payload.size());
    FillNumber(payload, "StartFragment:", startFragment);
    FillNumber(payload, "EndFragment:", endFragment);
    return payload;
}

std::string Utf8FromWide(const std::wstring& text)
{
    CUtf8Support utf8;
    if (text.empty() || !utf8.ToUtf8(text.c_str()) || utf8.Count() == 0)
        return std::string();
    return std::string(utf8.Data(), utf8.Count() - 1);
}
