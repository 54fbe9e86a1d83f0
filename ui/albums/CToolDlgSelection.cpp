// How the album window selects: all, none, the other rows, by a pattern on
// the titles and by a calendar day, with the calendar's album days.
#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AlbumEntry.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumSelection.h"
#include "ui/albums/AlbumWindowText.h"

std::vector<std::wstring> CToolDlg::PublishedTimes() const
{
    std::vector<std::wstring> published;
    for (const AlbumEntry& album : m_client.GetAlbums())
        published.push_back(album.published);
    return published;
}

void CToolDlg::PushDayStates()
{
    if (!m_calendar)
        return;
    // The calendar asks only when its month changes (and under Wine not at
    // all at first): hand it the states of every month it shows now.
    SYSTEMTIME range[2] = {};
    const int months = MonthCal_GetMonthRange(m_calendar, GMR_DAYSTATE, range);
    if (months <= 0)
        return;
    const std::vector<std::wstring> published = m_refreshFailed ? std::vector<std::wstring>() : PublishedTimes();
    std::vector<MONTHDAYSTATE> masks = DayStateMasks(published, range[0].wYear, range[0].wMonth, months);
    MonthCal_SetDayState(m_calendar, months, masks.data());
}

void CToolDlg::FillDayStates(NMDAYSTATE& request)
{
    if (!request.prgDayState || request.cDayState <= 0)
        return;
    const std::vector<MONTHDAYSTATE> masks =
        DayStateMasks(PublishedTimes(), request.stStart.wYear, request.stStart.wMonth, request.cDayState);
    std::copy(masks.begin(), masks.end(), request.prgDayState);
}

void CToolDlg::SelectByDay(const SYSTEMTIME& day)
{
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    std::vector<std::wstring> published;
    for (int row = 0; row < RowCount(); ++row) {
        const int index = AlbumIndexOfRow(row);
        published.push_back(index >= 0 ? albums[size_t(index)].published : std::wstring());
    }
    const std::vector<bool> hits = AlbumsOnDay(published, day.wYear, day.wMonth, day.wDay);
    // A day without albums leaves the selection as it was.
    if (std::find(hits.begin(), hits.end(), true) == hits.end())
        return;
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, hits[size_t(row)]);
    ScrollToFirstSelected();
}

void CToolDlg::SelectAll(bool selected)
{
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, selected);
}

void CToolDlg::InvertSelection()
{
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, !IsRowSelected(row));
    ScrollToFirstSelected();
}

void CToolDlg::SelectByPattern()
{
    SelectAll(false);
    const std::wstring text = ItemText(IDC_PATTERN);
    // The albums' own titles: a cell gives back only the start of a long one.
    std::vector<std::wstring> titles;
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    for (int row = 0; row < RowCount(); ++row) {
        const int index = AlbumIndexOfRow(row);
        titles.push_back(index >= 0 ? albums[size_t(index)].title : m_list.CellText(row, 0));
    }
    const TitleMatches matches = TitlesMatching(titles, text, IsChecked(IDC_IGNORE_CASE), IsChecked(IDC_WHOLE_TITLE));
    if (!matches.valid) {
        MessageBoxW(Handle(), ResourceFormat(IDS_PATTERN_INVALID, {matches.error}).c_str(),
                    ResourceString(IDS_PATTERN_CAPTION).c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    if (!text.empty()) {
        for (int row = 0; row < RowCount() && size_t(row) < matches.hits.size(); ++row)
            SelectRow(row, matches.hits[size_t(row)]);
    }
    ScrollToFirstSelected();
}

void CToolDlg::UpdateSelectionCount()
{
    const int selected = m_list.Handle() ? ListView_GetSelectedCount(m_list.Handle()) : 0;
    SetItemText(IDC_SELECTED_COUNT, CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, selected));
}
