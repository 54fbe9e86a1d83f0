// The templates of the new album, URL list, photo list and photo load
// dialogs in both language modules: the texts the dialogs show beyond the
// templates' own fitting the controls that show them at the display's DPI,
// the strings the dialogs format, and how the controls follow a dialog that
// grows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>

#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/albums/CEditAlbumDlg.h"
#include "ui/albums/CNewAlbumDlg.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/photos/PhotoListLoader.h"
#include "ui/albums/CUrlDlg.h"

using namespace AlbumDialogTest;

namespace {

// The text's size in the control's font, as DrawText lays it out.
SIZE TextSize(HWND control, const std::wstring& text, UINT format, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT RectIn(HWND window, HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ClientRectOf(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

using AlbumDialogTemplates = InLanguage;

} // namespace

TEST_P(AlbumDialogTemplates, TextsFitTheControlsThatShowThem)
{
    auto strings = [&](std::initializer_list<UINT> ids) {
        std::vector<std::wstring> texts;
        for (UINT id : ids)
            texts.push_back(language.String(id));
        return texts;
    };
    const std::wstring leapYear = FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011});
    const std::wstring no31st = FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {11});
    // A drop-down list's room leaves out its button and edges.
    const int dropDown = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    const struct {
        UINT dialog;
        int control;
        std::vector<std::wstring> texts;
        UINT format;
        int spare;
    } cases[] = {
        {IDD_NEW_ALBUM, IDC_NEW_ALBUM_DATE_HINT,
         {language.String(IDS_NEW_ALBUM_DATE_FORM), language.String(IDS_NEW_ALBUM_DATE_INVALID), leapYear, no31st},
         DT_WORDBREAK, 0},
        {IDD_NEW_ALBUM, IDC_ACCESS_LIST, strings({IDS_ACCESS_PUBLIC, IDS_ACCESS_PRIVATE, IDS_ACCESS_PROTECTED}),
         DT_SINGLELINE, dropDown},
        {IDD_EDIT_ALBUM, IDC_NEW_ALBUM_DATE_HINT,
         {language.String(IDS_NEW_ALBUM_DATE_FORM), language.String(IDS_NEW_ALBUM_DATE_INVALID), leapYear, no31st},
         DT_WORDBREAK, 0},
        {IDD_EDIT_ALBUM, IDC_ACCESS_LIST, strings({IDS_ACCESS_PUBLIC, IDS_ACCESS_PRIVATE, IDS_ACCESS_PROTECTED}),
         DT_SINGLELINE, dropDown},
        {IDD_PROGRESS, IDC_LOAD_TEXT,
         {PhotoListLoader::ProgressText(4294967295u, 4294967295u), PhotoListLoader::ProgressText(0, 0),
          language.String(IDS_LOAD_CANCELLING)},
         DT_SINGLELINE, 0},
        // A backup's: the counts on the first line, the file on the second.
        {IDD_PROGRESS, IDC_LOAD_TEXT,
         {FormatText(language.String(IDS_BACKUP_PROGRESS_FORMAT),
                     {999, 999, 99999, 99999, FormatText(language.String(IDS_BYTES_FORMAT), {L"99999.9"}),
                      L"IMG_20090405_101112 (12).JPG"})},
         DT_WORDBREAK, 0},
    };
    for (const auto& c : cases) {
        CDialogBase dialog(c.dialog);
        ASSERT_NE(dialog.Create(nullptr), nullptr);
        HWND control = dialog.Item(c.control);
        RECT room = {};
        GetClientRect(control, &room);
        room.right -= c.spare;
        for (const std::wstring& text : c.texts) {
            SCOPED_TRACE(TestEnv::Narrow(text));
            ASSERT_FALSE(text.empty());
            const SIZE size = TextSize(control, text, c.format, room.right);
            EXPECT_LE(size.cx, room.right);
            EXPECT_LE(size.cy, room.bottom);
        }
    }
}

TEST_P(AlbumDialogTemplates, StringsOfTheDialogsAreThere)
{
    for (UINT id = IDS_PHOTO_COLUMN_FIRST; id <= IDS_PHOTO_COLUMN_MEDIA; ++id)
        EXPECT_FALSE(language.String(id).empty()) << id;
    for (UINT id : {IDS_MEDIA_STILL, IDS_MEDIA_VIDEO, IDS_NEW_ALBUM_NO_TITLE, IDS_CAPTION_ESTIMATE,
                    IDS_LOG_ALBUM_CREATED, IDS_LOG_CREATE_FAILED, IDS_PROTECTED_LINK_TIP, IDS_NO_SELECTION_PROPERTIES,
                    IDS_PROPERTIES_ONE_ALBUM, IDS_LOG_EDIT_FAILED})
        EXPECT_FALSE(language.String(id).empty()) << id;
    for (UINT id = IDS_FIELD_TITLE; id <= IDS_FIELD_COMMENTING; ++id)
        EXPECT_FALSE(language.String(id).empty()) << id;
    // The formats take their arguments in the order the code gives them.
    EXPECT_NE(FormatText(language.String(IDS_ESTIMATE_FORMAT), {1234, std::wstring(L"@")}).find(L"1234"),
              std::wstring::npos);
    EXPECT_NE(FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011}).find(L"2011"), std::wstring::npos);
    EXPECT_NE(FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {4}).find(L"4"), std::wstring::npos);
    const std::wstring edited = FormatText(language.String(IDS_LOG_ALBUM_EDITED), {L"TITLE", L"FIELDS"});
    EXPECT_LT(edited.find(L"TITLE"), edited.find(L"FIELDS"));
    for (UINT id : {IDS_EDIT_ALBUM_CONFLICT, IDS_LOG_EDIT_CONFLICT})
        EXPECT_NE(FormatText(language.String(id), {L"TITLE"}).find(L"TITLE"), std::wstring::npos) << id;
    const std::wstring failed = FormatText(language.String(IDS_CREATE_FAILED_FORMAT), {L"503", L"BODY"});
    EXPECT_LT(failed.find(L"503"), failed.find(L"BODY"));
    const std::wstring entry = FormatText(language.String(IDS_URL_ENTRY_TEXT), {L"TITLE", 77, L"http://a/"});
    EXPECT_LT(entry.find(L"TITLE"), entry.find(L"77"));
    EXPECT_LT(entry.find(L"77"), entry.find(L"http://a/"));
    EXPECT_EQ(entry.substr(entry.size() - 2), L"\r\n") << "entries end their lines";
    const std::wstring html =
        FormatText(language.String(IDS_URL_ENTRY_HTML), {L"TITLE", 77, L"http://a/", L"http://a/"});
    EXPECT_NE(html.find(L"<a href=\"http://a/\">http://a/</a>"), std::wstring::npos) << TestEnv::Narrow(html);
    EXPECT_EQ(html.find(L'%'), std::wstring::npos);
    // Never more done than in all.
    const auto progress = [&](int64_t done, int64_t total) {
        return FormatText(language.String(IDS_LOAD_PROGRESS_FORMAT), {done, total});
    };
    EXPECT_EQ(PhotoListLoader::ProgressText(12, 9), progress(12, 12));
    EXPECT_EQ(PhotoListLoader::ProgressText(3, 9), progress(3, 9));
}

// Each resizable dialog grown by 100 x 60 pixels: its frame, its size grip,
// its smallest size (the one it opened with) and where its controls go.
TEST_P(AlbumDialogTemplates, ControlsFollowTheGrowingDialog)
{
    PicasaClient client(StandIn::BaseW(), StandIn::BaseW());
    const std::vector<PhotoListAlbum> noAlbums;
    const std::wstring text = L"a\r\n", html = L"<p>a</p>";
    const unsigned corner = ResizeMoveX | ResizeMoveY, both = ResizeSizeX | ResizeSizeY;
    const struct {
        std::function<std::unique_ptr<CDialogBase>()> make;
        std::vector<std::pair<int, unsigned>> controls;
    } cases[] = {
        {[&] { return std::make_unique<CNewAlbumDlg>(client, Settings()); },
         {{IDC_NEW_ALBUM_TITLE, ResizeSizeX},
          {IDC_NEW_ALBUM_SUMMARY, both},
          {IDC_NEW_ALBUM_FRAME, both},
          {IDC_NEW_ALBUM_DATE_LABEL, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE_FORMAT, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE_HINT, ResizeMoveY | ResizeSizeX},
          {IDC_NEW_ALBUM_LOCATION_LABEL, ResizeMoveY},
          {IDC_NEW_ALBUM_LOCATION, ResizeMoveY},
          {IDC_NEW_ALBUM_ACCESS_LABEL, ResizeMoveY},
          {IDC_ACCESS_LIST, ResizeMoveY},
          {IDC_NEW_ALBUM, corner},
          {IDCANCEL, corner},
          {CResizeRule::kGripId, corner}}},
        {[&] { return std::make_unique<CEditAlbumDlg>(client, AlbumEntry{.title = L"Garden"}, Settings()); },
         {{IDC_NEW_ALBUM_TITLE, ResizeSizeX},
          {IDC_NEW_ALBUM_SUMMARY, both},
          {IDC_NEW_ALBUM_FRAME, both},
          {IDC_NEW_ALBUM_DATE_LABEL, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE_FORMAT, ResizeMoveY},
          {IDC_NEW_ALBUM_DATE_HINT, ResizeMoveY | ResizeSizeX},
          {IDC_NEW_ALBUM_LOCATION_LABEL, ResizeMoveY},
          {IDC_NEW_ALBUM_LOCATION, ResizeMoveY},
          {IDC_NEW_ALBUM_ACCESS_LABEL, ResizeMoveY},
          {IDC_ACCESS_LIST, ResizeMoveY},
          {IDC_EDIT_ALBUM_COMMENTING, ResizeMoveY},
          {IDOK, corner},
          {IDCANCEL, corner},
          {CResizeRule::kGripId, corner}}},
        {[&] { return std::make_unique<CPhotoInfoDlg>(noAlbums, true, Settings()); },
         {{IDC_PHOTOS, ResizeRightHalfX | ResizeSizeY},
          {IDC_PREVIEW, ResizeLeftHalfX | ResizeSizeX | ResizeSizeY},
          {IDC_PREVIEW_SHOW, ResizeMoveY},
          {IDCANCEL, corner},
          {CResizeRule::kGripId, corner}}},
        {[&] { return std::make_unique<CUrlDlg>(text, html, Settings()); },
         {{IDC_URL_TEXT, both}, {IDC_URL_COPY, corner}, {IDCANCEL, corner}, {CResizeRule::kGripId, corner}}},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<CDialogBase> dialog = c.make();
        const HWND window = dialog->Create(nullptr);
        ASSERT_NE(window, nullptr);
        SCOPED_TRACE(dialog->TemplateId());
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN),
                  WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN);
        std::vector<RECT> before;
        for (const auto& [id, anchor] : c.controls) {
            ASSERT_NE(dialog->Item(id), nullptr) << id;
            before.push_back(RectIn(window, dialog->Item(id)));
        }
        RECT opened = {};
        GetWindowRect(window, &opened);
        const SIZE size = {opened.right - opened.left, opened.bottom - opened.top};
        // A large dialog at a high DPI may not grow past the screen: the
        // controls follow what the client area really gained.
        const RECT client = ClientRectOf(window);
        SetWindowPos(window, nullptr, 0, 0, size.cx + 100, size.cy + 60, SWP_NOZORDER);
        const int dx = ClientRectOf(window).right - client.right, dy = ClientRectOf(window).bottom - client.bottom;
        EXPECT_GT(dx + dy, 0) << "the dialog grew";
        for (size_t i = 0; i < c.controls.size(); ++i) {
            const auto [id, anchor] = c.controls[i];
            const RECT after = RectIn(window, dialog->Item(id));
            EXPECT_EQ(after.left - before[i].left, anchor & ResizeMoveX ? dx : anchor & ResizeLeftHalfX ? dx / 2 : 0)
                << id;
            EXPECT_EQ(after.top - before[i].top, anchor & ResizeMoveY ? dy : 0) << id;
            EXPECT_EQ(after.right - before[i].right,
                      anchor & (ResizeMoveX | ResizeSizeX) ? dx : anchor & ResizeRightHalfX ? dx / 2 : 0)
                << id;
            EXPECT_EQ(after.bottom - before[i].bottom, anchor & (ResizeMoveY | ResizeSizeY) ? dy : 0) << id;
        }
        MINMAXINFO info = {};
        SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, size.cx);
        EXPECT_EQ(info.ptMinTrackSize.y, size.cy);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, AlbumDialogTemplates, ::testing::Values("en", "ja"));
