#include "ui/albums/AlbumWindowText.h"

#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/AccessLevel.h"

#include <cstdio>

std::wstring QuotaLine(const std::wstring& account, bool publicOnly, int64_t used, int64_t limit)
{
    if (publicOnly)
        return account + L"  ( ---.-GB / ---.-GB  ---.-% )";
    constexpr double kGigabyte = 1073741824.0;
    wchar_t numbers[128];
    if (limit == 0) {
        swprintf(numbers, 128, L"  ( %.3fGB / %.1fGB, ---.-%% )", double(used) / kGigabyte, 0.0);
    } else {
        swprintf(numbers, 128, L"  ( %.3fGB / %.1fGB, %.1f%% )", double(used) / kGigabyte, double(limit) / kGigabyte,
                 double(used) * 100.0 / double(limit));
    }
    return account + numbers;
}

std::wstring AlbumSizeText(int64_t bytesUsed, bool publicOnly)
{
    if (publicOnly)
        return L"-----";
    wchar_t text[64];
    swprintf(text, 64, L"%.1f", bytesUsed < 0 ? 0.0 : double(uint64_t(bytesUsed) / 1048576));
    return text;
}

std::wstring AccessLevelText(unsigned index)
{
    return index < kAccessLevelCount ? ResourceString(IDS_ACCESS_FIRST + index) : L"";
}

std::wstring AccessLevelText(const std::wstring& access)
{
    const unsigned index = FindAccessLevel(access);
    return index < kAccessLevelCount ? AccessLevelText(index) : access;
}

bool PublishedDay(const std::wstring& published, int& year, int& month, int& day)
{
    const std::string narrow = UserCodePageFromWide(published);
    return std::sscanf(narrow.c_str(), "%d/%d/%d", &year, &month, &day) == 3;
}

std::vector<MONTHDAYSTATE> DayStateMasks(const std::vector<std::wstring>& published, int startYear, int startMonth,
                                         int months)
{
    std::vector<MONTHDAYSTATE> masks(size_t(months > 0 ? months : 0), 0);
    for (const std::wstring& text : published) {
        int year = 0, month = 0, day = 0;
        if (!PublishedDay(text, year, month, day) || day < 1 || day > 31)
            continue;
        const int k = (year - startYear) * 12 + (month - startMonth);
        if (k >= 0 && k < months)
            masks[size_t(k)] |= MONTHDAYSTATE(1) << (day - 1);
    }
    return masks;
}

std::wstring SelectionPattern(const std::wstring& text, bool wholeTitle)
{
    return wholeTitle ? text : L".*" + text + L".*";
}

int ScrollTargetRow(int first, int rowsPerPage, int rowCount)
{
    const int last = rowCount - 1;
    const int target = first + rowsPerPage - 1;
    return target < last ? target : last;
}

std::wstring DeleteQuestion(int64_t albums, int64_t photos)
{
    return FormatText(ResourceString(IDS_CONFIRM_DELETE_FORMAT),
                      {CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, albums),
                       CountText(IDS_COUNT_PHOTO, IDS_COUNT_PHOTOS, photos)});
}

std::wstring DeleteQuestion(const std::wstring& title, int64_t photos)
{
    return FormatText(ResourceString(IDS_CONFIRM_DELETE_ONE),
                      {title, CountText(IDS_COUNT_PHOTO, IDS_COUNT_PHOTOS, photos)});
}

bool NewestPublishedDay(const std::vector<std::wstring>& published, SYSTEMTIME& day)
{
    int best = -1;
    for (const std::wstring& time : published) {
        int year = 0, month = 0, day2 = 0;
        if (!PublishedDay(time, year, month, day2) || month < 1 || month > 12 || day2 < 1 || day2 > 31)
            continue;
        const int key = (year * 13 + month) * 32 + day2;
        if (key <= best)
            continue;
        best = key;
        day = SYSTEMTIME{};
        day.wYear = WORD(year);
        day.wMonth = WORD(month);
        day.wDay = WORD(day2);
    }
    return best >= 0;
}
