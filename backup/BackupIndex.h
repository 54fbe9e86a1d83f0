#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/PhotoEntry.h"

// What a backup writes beside the files (index.csv, album.csv) and the
// rules that decide which files to fetch again.

// One field of a CSV line: quoted (its quotes doubled) when it holds a
// comma, a quote, a line break or a leading or trailing blank.
std::wstring CsvField(const std::wstring& text);
// The fields joined by commas, ended by CR LF.
std::wstring CsvLine(const std::vector<std::wstring>& fields);
// A CSV file's bytes: UTF-8 after a byte-order mark, so that spreadsheet
// programs read it as UTF-8.
std::string CsvFileBytes(const std::wstring& text);
// The text of such bytes (the mark optional).
std::wstring CsvFileText(const std::string& bytes);
// The lines of CSV text, each as its fields: what CsvLine wrote, read back.
std::vector<std::vector<std::wstring>> CsvRows(const std::wstring& text);

// "YYYY/MM/DD hh:mm:ss" (UTC, as the photo records hold it) as ISO 8601
// "YYYY-MM-DDThh:mm:ssZ"; "" for text of another shape.
std::wstring UtcTextToIso(const std::wstring& utcText);
// Milliseconds since 1970 UTC as decimal text to ISO 8601 UTC; "" when the
// text is no number.
std::wstring MillisToIso(const std::wstring& millisText);
// The same UTC text as a file time; false for text of another shape.
bool UtcTextToFileTime(const std::wstring& utcText, FILETIME& time);

// index.csv: a heading line, then one line per entry with the file name it
// was saved under. Its size is the length of the file as it is in the
// folder, or the feed's size when the file is not there.
struct BackupIndexRow
{
    std::wstring fileName;
    const PhotoEntry* photo = nullptr;
    int64_t length = -1; // of the file in the folder; -1 when there is none
};
std::wstring IndexCsvText(const std::vector<BackupIndexRow>& rows);
// album.csv: a heading line and the album's line.
std::wstring AlbumCsvText(const AlbumEntry& album, size_t entries);
// The album id an album.csv names ("" when it names none).
std::wstring RecordedAlbumId(const std::string& albumCsvBytes);

// The names of a backup's own files in an album's folder, taken before any
// photo's.
inline constexpr const wchar_t* kIndexCsvName = L"index.csv";
inline constexpr const wchar_t* kAlbumCsvName = L"album.csv";

// The length a saved file must have: the photo's size where the feed gives
// one; -1 for a video (its size is the uploaded file's, not the
// rendition's) or an unknown size: the reply's announced length decides.
int64_t ExpectedLength(const PhotoEntry& photo);

// What the index.csv of an earlier run says of each file, by file name.
struct RecordedFile
{
    std::wstring mediaUrl;
    int64_t size = -1; // -1: none, or not a number
};
std::map<std::wstring, RecordedFile> RecordedFiles(const std::string& indexBytes);

// Whether a file is fetched: a missing one always; one whose length differs
// from the expected length. When the feed gives no length (videos) the
// length the last run's index recorded for the same media address stands
// in for it, so that an unchanged album costs no request but its feed;
// without such a record the file is fetched again.
enum class DownloadNeed { Fetch, Keep };
// existingLength, recordedLength: -1 when there is no file, no record.
DownloadNeed NeedsDownload(int64_t existingLength, int64_t expectedLength, int64_t recordedLength);
