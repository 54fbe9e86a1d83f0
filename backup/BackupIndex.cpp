#include "backup/BackupIndex.h"

#include <cwctype>

#include "service/PhotoFeed.h"

std::wstring CsvField(const std::wstring& text)
{
    const bool quote = text.find_first_of(L",\"\r\n") != std::wstring::npos ||
                       (!text.empty() && (text.front() == L' ' || text.back() == L' '));
    if (!quote)
        return text;
    std::wstring field = L"\"";
    for (wchar_t c : text) {
        if (c == L'"')
            field += L'"';
        field += c;
    }
    return field + L"\"";
}

std::wstring CsvLine(const std::vector<std::wstring>& fields)
{
    std::wstring line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += L',';
        line += CsvField(fields[i]);
    }
    return line + L"\r\n";
}

std::string CsvFileBytes(const std::wstring& text)
{
    std::string bytes = "\xEF\xBB\xBF";
    if (text.empty())
        return bytes;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return bytes;
    const size_t at = bytes.size();
    bytes.resize(at + size_t(n));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data() + at, n, nullptr, nullptr);
    return bytes;
}

std::vector<std::vector<std::wstring>> CsvRows(const std::wstring& text)
{
    std::vector<std::vector<std::wstring>> rows;
    std::vector<std::wstring> fields;
    std::wstring field;
    bool quoted = false;
    bool any = false; // the line has begun
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quoted) {
            if (c != L'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == L'"')
                field += text[++i];
            else
                quoted = false;
            continue;
        }
        if (c == L'"') {
            quoted = any = true;
        } else if (c == L',') {
            fields.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
            if (any || !field.empty()) {
                fields.push_back(std::move(field));
                rows.push_back(std::move(fields));
            }
            fields.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) {
        fields.push_back(std::move(field));
        rows.push_back(std::move(fields));
    }
    return rows;
}

std::wstring CsvFileText(const std::string& bytes)
{
    const size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, int(bytes.size() - skip), nullptr, 0);
    if (n <= 0)
        return L"";
    std::wstring text(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, int(bytes.size() - skip), text.data(), n);
    return text;
}

std::wstring RecordedAlbumId(const std::string& albumCsvBytes)
{
    const std::vector<std::vector<std::wstring>> rows = CsvRows(CsvFileText(albumCsvBytes));
    // Columns as AlbumCsvText writes them: 5 album id.
    return rows.size() >= 2 && rows[1].size() >= 6 ? rows[1][5] : std::wstring();
}

std::map<std::wstring, RecordedFile> RecordedFiles(const std::string& indexBytes)
{
    std::map<std::wstring, RecordedFile> files;
    const std::vector<std::vector<std::wstring>> rows = CsvRows(CsvFileText(indexBytes));
    // Columns as IndexCsvText writes them: 0 file name, 7 size, 9 media address.
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::wstring>& row = rows[r];
        if (row.size() < 10)
            continue;
        RecordedFile& file = files[row[0]];
        file.mediaUrl = row[9];
        const std::wstring& size = row[7];
        if (!size.empty() && size.size() <= 18 && size.find_first_not_of(L"0123456789") == std::wstring::npos)
            file.size = std::stoll(size);
    }
    return files;
}

namespace {

// "YYYY/MM/DD hh:mm:ss" into its numbers.
bool ParseUtcText(const std::wstring& text, SYSTEMTIME& time)
{
    static const wchar_t shape[] = L"0000/00/00 00:00:00";
    if (text.size() != wcslen(shape))
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (shape[i] == L'0' ? !iswdigit(text[i]) : text[i] != shape[i])
            return false;
    auto number = [&](size_t at, size_t n) { return WORD(std::stoi(text.substr(at, n))); };
    time = SYSTEMTIME{};
    time.wYear = number(0, 4);
    time.wMonth = number(5, 2);
    time.wDay = number(8, 2);
    time.wHour = number(11, 2);
    time.wMinute = number(14, 2);
    time.wSecond = number(17, 2);
    FILETIME check{};
    return SystemTimeToFileTime(&time, &check) != FALSE;
}

} // namespace

std::wstring UtcTextToIso(const std::wstring& utcText)
{
    SYSTEMTIME time{};
    if (!ParseUtcText(utcText, time))
        return L"";
    std::wstring iso = utcText;
    iso[4] = iso[7] = L'-';
    iso[10] = L'T';
    return iso + L"Z";
}

std::wstring MillisToIso(const std::wstring& millisText)
{
    if (millisText.empty())
        return L"";
    size_t i = millisText[0] == L'-' ? 1 : 0;
    if (i == millisText.size() || millisText.size() > 19)
        return L"";
    for (; i < millisText.size(); ++i)
        if (!iswdigit(millisText[i]))
            return L"";
    const long long millis = std::stoll(millisText);
    // 1601 to 1970 in 100 ns steps: file times count from 1601.
    const long long ticks = 116444736000000000LL + millis * 10000LL;
    if (ticks < 0)
        return L"";
    FILETIME file{DWORD(ticks & 0xFFFFFFFF), DWORD(ticks >> 32)};
    SYSTEMTIME time{};
    if (!FileTimeToSystemTime(&file, &time))
        return L"";
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    return text;
}

bool UtcTextToFileTime(const std::wstring& utcText, FILETIME& time)
{
    SYSTEMTIME system{};
    return ParseUtcText(utcText, system) && SystemTimeToFileTime(&system, &time);
}

std::wstring IndexCsvText(const std::vector<BackupIndexRow>& rows)
{
    std::wstring text = CsvLine({L"file name", L"photo id", L"title", L"caption", L"time taken", L"width",
                                 L"height", L"size", L"page address", L"media address"});
    for (const BackupIndexRow& row : rows) {
        const PhotoEntry& p = *row.photo;
        text += CsvLine({row.fileName, p.id, p.title, p.summary, UtcTextToIso(p.timestamp),
                         std::to_wstring(p.width), std::to_wstring(p.height),
                         std::to_wstring(row.length >= 0 ? row.length : int64_t(p.size)), p.alternateLink,
                         p.mediaUrl});
    }
    return text;
}

std::wstring AlbumCsvText(const AlbumEntry& album, size_t entries)
{
    return CsvLine({L"title", L"summary", L"place", L"access", L"date", L"album id", L"number of entries"}) +
           CsvLine({album.title, album.summary, album.location, album.access, MillisToIso(album.timestamp),
                    album.id, std::to_wstring(entries)});
}

int64_t ExpectedLength(const PhotoEntry& photo)
{
    if (IsVideo(photo) || photo.size <= 0)
        return -1;
    return photo.size;
}

DownloadNeed NeedsDownload(int64_t existingLength, int64_t expectedLength, int64_t recordedLength)
{
    const int64_t wanted = expectedLength >= 0 ? expectedLength : recordedLength;
    return existingLength >= 0 && existingLength == wanted ? DownloadNeed::Keep : DownloadNeed::Fetch;
}
