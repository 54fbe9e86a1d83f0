#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "ui/albums/AlbumActionRunner.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/controls/CResizeRule.h"
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"
#include "ui/controls/CHyperLink.h"

class PicasaClient;

// The album window, the main window after sign-in: the account's albums with
// the quota and a calendar of album days, the selection tools and the album
// actions. Runs modally and always ends with 2; closing it signs out.
class CToolDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    explicit CToolDlg(PicasaClient& client, SettingsLocation settings = {});
    ~CToolDlg() override;

    // Deletes the rows, loads the albums again and fills the list; keeps the
    // sort when asked, and the selection by album id. The client's result.
    DWORD Refresh(bool keepSort);
    // What a refresh does after loading, on the client's album list as it
    // stands: the rows again with their links, the column widths, the sort
    // (kept when asked) and the selection by album id.
    void ShowAlbums(bool keepSort);
    // Brings the first selected row to the top of the view where it can.
    void ScrollToFirstSelected();

    // The index in the client's album list that a row stands for; -1 when
    // the row has none.
    int AlbumIndexOfRow(int row) const;
    // The albums of the selected rows, in display order.
    std::vector<size_t> SelectedAlbums() const;
    int RowCount() const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool selected);

    // Whether the last refresh failed (the list is then empty for that
    // reason, not because the account has no albums).
    bool LastRefreshFailed() const { return m_refreshFailed; }
    CSortListViewCtrlWithHyperLink& List() { return m_list; }

    static constexpr const wchar_t* kSection = L"ToolDlg";

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool RunCommand(int id, int code);
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // F5, Enter in the pattern box and on the list, and Escape, which does
    // not close the window (CToolDlgKeys.cpp).
    bool OnDialogKey(const MSG& key) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    // What a refresh keeps of the list before its rows go.
    struct ListState
    {
        int sortColumn = -1;
        bool descending = false;
        std::set<std::wstring> selectedIds;
    };

    ListState RememberList() const;
    void FillList(const ListState& state, bool keepSort);
    void InsertColumns();
    // A double-click on an album opens the photo list.
    void OnListDoubleClick(const NMITEMACTIVATE& click);
    void FillBatchBoxes();
    void FitCalendar();
    void WidenRightColumn(int columnLeft, int grow);
    void Close();

    void SelectAll(bool selected);
    void InvertSelection();
    void SelectByPattern();
    void SelectByDay(const SYSTEMTIME& day);
    void UpdateSelectionCount();
    void PushDayStates();
    void FillDayStates(NMDAYSTATE& request);
    std::vector<std::wstring> PublishedTimes() const;

    // Runs long work off the window's thread, with the progress window when
    // it takes a while; the window takes no other command meanwhile. With
    // cutShort, Cancel stops the requests under way at their next step (a
    // stalled one at its time-out); otherwise the work stops where it next
    // asks. False when the user cancelled.
    bool RunLong(const std::wstring& caption, BackgroundWork::Work work, bool cutShort);
    // An album action on copies of the selected albums, in display order,
    // with n of N albums shown as it goes; a failure is reported here.
    AlbumActionOutcome RunAction(const AlbumAction& action, UINT caption, UINT failureFormat);

    // The empty-list and no-selection checks that every album command runs
    // first; false (after telling the user) when the command cannot go on.
    bool CheckSelection(UINT noSelectionText);
    void DeleteAlbums();
    void NewAlbum();
    void ChangeAccess();
    // The properties of the one selected album, in their own dialog.
    void EditAlbum();
    void ShowBatchValueBox();
    void ApplyBatchChange();
    void ShowAbout();
    // Upload (CToolDlgUpload.cpp): files chosen in the file dialog go into
    // the one selected album; dropped files into the album under the drop
    // point, else the one selected album.
    void Upload();
    void UploadDropped(HDROP drop);
    void UploadInto(size_t albumIndex, const std::vector<std::wstring>& paths);
    // Upload folder (CToolDlgUpload.cpp): the folder's new files into the one
    // selected album, or into a new album titled after it when none is
    // selected; a folder dropped on a row goes into that album, off the rows
    // into a new one. albumIndex -1: a new album.
    void UploadFolder();
    void UploadFolderInto(int albumIndex, const std::wstring& folder);
    void DumpAlbums();

    void ReportLoadFailure();
    void ReportActionFailure(UINT errorFormat, const std::wstring& title);
    int Ask(UINT text, UINT caption, UINT style) const;
    void SetBusy(bool busy);

    PicasaClient& m_client;
    SettingsLocation m_settings;
    CSortListViewCtrlWithHyperLink m_list;
    CHyperLink m_webLink;
    CResizeRule m_resize;
    HWND m_calendar = nullptr;
    HCURSOR m_arrow = nullptr;
    HCURSOR m_wait = nullptr;
    std::wstring m_caption;
    bool m_refreshFailed = false;
    // The long work under way (a refresh, an album action, a photo list
    // load), and whether the window was closed while it ran.
    RunningWork m_running;
    bool m_closeAfterWork = false;
};

// MCN_GETDAYSTATE as the common controls send it (the mingw-w64 header has
// another value).
constexpr UINT kCalendarGetDayState = UINT(-747);
