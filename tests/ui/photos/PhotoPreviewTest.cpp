// The photo list's preview pane against the stand-in service, whose
// generated pictures take their colour from the photo's id: which picture a
// row shows, the newest selection winning, failures, videos, the hidden
// pane, the bounded cache and where the token goes; and the plain rules
// behind them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/photos/CPhotoPreviewCache.h"
#include "ui/photos/PhotoListCommand.h"
#include "ui/photos/PhotoListLoader.h"
#include "ui/photos/PhotoPreviewUrl.h"
#include "ui/photos/CDibImage.h"

using namespace AlbumDialogTest;
using TestEnv::Narrow;

namespace {

// ---------------------------------------------------------------------------
// The plain rules
// ---------------------------------------------------------------------------

TEST(PreviewRules, SizeIsTheSmallestOfferedOneThatFillsThePane)
{
    const struct {
        int paneWidth, paneHeight, photoWidth, photoHeight, side;
    } cases[] = {
        {200, 300, 1600, 1200, 200}, // landscape in a tall pane: the width decides
        {201, 300, 1600, 1200, 288},
        {200, 300, 1200, 1600, 288}, // portrait: 300 high
        {200, 200, 0, 0, 200},       // unknown proportions: the longer side
        {300, 450, 4000, 3000, 320},
        {1000, 2000, 800, 600, 1024},
        {5000, 5000, 800, 600, 1600}, // nothing larger is offered
        {0, 0, 800, 600, 72},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewImageSide(c.paneWidth, c.paneHeight, c.photoWidth, c.photoHeight), c.side)
            << c.paneWidth << "x" << c.paneHeight << " " << c.photoWidth << "x" << c.photoHeight;
}

TEST(PreviewRules, SizeFolderGoesBeforeTheFileNameOrReplacesOneThere)
{
    const struct {
        const wchar_t* content;
        const wchar_t* url;
    } cases[] = {
        {L"http://h:1/img/5/7/a.jpg", L"http://h:1/img/5/7/s288/a.jpg"},
        {L"http://h/img/5/7/s0/a.jpg", L"http://h/img/5/7/s288/a.jpg"},
        {L"https://h/x/s1600-c/a.jpg", L"https://h/x/s288/a.jpg"},
        {L"http://h/x/size/a.jpg", L"http://h/x/size/s288/a.jpg"},
        {L"http://h/a.jpg", L"http://h/s288/a.jpg"},
        {L"http://h/x/a.jpg?v=1/2", L"http://h/x/s288/a.jpg?v=1/2"},
        {L"http://h", L"http://h"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewImageUrl(c.content, 288), c.url) << Narrow(c.content);
}

std::shared_ptr<const CDibImage> Picture(int side)
{
    auto image = std::make_shared<CDibImage>();
    EXPECT_TRUE(image->Create(side, side));
    return image;
}

TEST(PreviewCache, KeepsTheMostRecentlyUsedPicturesUpToItsCapacity)
{
    const long before = CDibImage::LiveCount();
    {
        CPhotoPreviewCache cache(3);
        for (const wchar_t* url : {L"a", L"b", L"c"})
            cache.Add(url, Picture(2));
        ASSERT_TRUE(cache.Find(L"a")); // a is now the most recent; b the least
        cache.Add(L"d", Picture(2));
        EXPECT_EQ(cache.Size(), 3u);
        EXPECT_FALSE(cache.Find(L"b"));
        for (const wchar_t* url : {L"a", L"c", L"d"})
            EXPECT_TRUE(cache.Find(url)) << Narrow(url);
        EXPECT_EQ(CDibImage::LiveCount() - before, 3) << "a dropped picture is freed";
        // The same address again replaces its picture.
        const auto newer = Picture(3);
        cache.Add(L"c", newer);
        EXPECT_EQ(cache.Size(), 3u);
        EXPECT_EQ(cache.Find(L"c"), newer);
        cache.Add(L"e", nullptr);
        EXPECT_EQ(cache.Size(), 3u);
    }
    EXPECT_EQ(CDibImage::LiveCount(), before);
}

// ---------------------------------------------------------------------------
// The pane against the stand-in
// ---------------------------------------------------------------------------

// The colour the stand-in gives the middle row of a photo's picture.
COLORREF ExpectedCentre(const std::wstring& photoId)
{
    const unsigned long long id = wcstoull(photoId.c_str(), nullptr, 10);
    const int seed = int(id % 9973);
    const int r0 = (seed * 67) % 200 + 40, g0 = (seed * 151) % 200 + 40, b0 = (seed * 211) % 200 + 40;
    const double f = 0.5;
    return RGB(int(r0 + (255 - r0) * f), int(g0 * (1 - f / 2)), int(b0 + (255 - b0) * (1 - f)));
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// Pumps the dialog's messages until `done`, for at most `timeoutMs`.
bool WaitFor(HWND dialog, const std::function<bool()>& done, DWORD timeoutMs = 30000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages(dialog);
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The photo list open modelessly on the given albums, its preview fed from
// the stand-in with the client's token, and the pages it opens noted.
class OpenList
{
public:
    OpenList(const std::vector<PhotoListAlbum>& albums, const PicasaClient& client, const SettingsLocation& settings)
        : dialog(albums, true, settings)
    {
        dialog.SetPreviewSource({StandIn::BaseW(), client.Access().Token(), false});
        dialog.SetOpener([this](const std::wstring& url) {
            opened.push_back(url);
            return true;
        });
        window = dialog.Create(nullptr);
        ShowWindow(window, SW_SHOWNA);
        list = GetDlgItem(window, IDC_PHOTOS);
        pane = GetDlgItem(window, IDC_PREVIEW);
    }

    // A click on the pane's check box.
    void TogglePane()
    {
        CheckDlgButton(window, IDC_PREVIEW_SHOW, IsDlgButtonChecked(window, IDC_PREVIEW_SHOW) ? BST_UNCHECKED : BST_CHECKED);
        Press(window, IDC_PREVIEW_SHOW);
    }

    CPhotoPreview& Preview() { return *dialog.Preview(); }

    void Select(int row)
    {
        ListTest::SetState(list, -1, LVIS_SELECTED | LVIS_FOCUSED, false);
        ListTest::SetState(list, row, LVIS_SELECTED | LVIS_FOCUSED, true);
        PumpMessages(window);
    }

    // The row shows its photo's picture (or failed) at the size wanted.
    bool WaitSettled(DWORD timeoutMs = 30000)
    {
        return WaitFor(window, [&] {
            const auto state = Preview().GetState();
            return state == CPhotoPreview::State::Shown || state == CPhotoPreview::State::Failed;
        }, timeoutMs);
    }

    // The pane drawn into a bitmap of its size: the colour at its centre.
    COLORREF Centre()
    {
        RECT rect = {};
        GetClientRect(pane, &rect);
        CDibImage surface;
        if (!surface.Create(rect.right, rect.bottom))
            return CLR_INVALID;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, surface.Bitmap());
        Preview().Render(dc, rect, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        GdiFlush();
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return surface.Pixel(rect.right / 2, rect.bottom / 2);
    }

    CPhotoInfoDlg dialog;
    HWND window = nullptr, list = nullptr, pane = nullptr;
    std::vector<std::wstring> opened;
};

class PhotoPreview : public SignedIn
{
protected:
    PhotoPreview() : SignedIn("photolist", "lists", L"lists") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedIn::SetUp());
        ASSERT_EQ(client.LoadAlbums(), 0u);
        const auto& all = client.GetAlbums();
        std::vector<size_t> chosen;
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].title == L"Three photos" || all[i].title == L"Media")
                chosen.push_back(i);
        ASSERT_EQ(chosen.size(), 2u);
        albums = LoadPhotoListAlbums(client, chosen, true);
        StandIn::ClearRequests();
    }

    std::vector<Json> ImageRequests() const { return Requests("image"); }

    // The rows of stills and of videos, as the list shows them.
    std::vector<int> Rows(OpenList& open, bool videos)
    {
        std::vector<int> rows;
        for (int row = 0; row < ListTest::Rows(open.list); ++row)
            if (const PhotoEntry* photo = open.dialog.RowPhoto(row); photo && IsVideo(*photo) == videos)
                rows.push_back(row);
        return rows;
    }

    std::vector<PhotoListAlbum> albums;
};

TEST_P(PhotoPreview, PaneShowsTheSelectedPhotoFittedAndCentred)
{
    OpenList open(albums, client, Settings());
    ASSERT_NE(open.window, nullptr);
    EXPECT_TRUE(IsWindowVisible(open.pane));
    // The list opens with its first row selected, and the pane shows it.
    EXPECT_EQ(SendMessageW(open.list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED | LVNI_FOCUSED), 0);
    EXPECT_EQ(SendMessageW(open.list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_NE(open.Preview().WantedUrl().find(L"/" + open.dialog.RowPhoto(0)->id + L"/"), std::wstring::npos);
    const std::vector<int> stills = Rows(open, false);
    ASSERT_GE(stills.size(), 3u);
    std::vector<COLORREF> seen;
    for (int row : stills) {
        SCOPED_TRACE(row);
        open.Select(row);
        ASSERT_TRUE(open.WaitSettled());
        ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
        const PhotoEntry* photo = open.dialog.RowPhoto(row);
        const COLORREF centre = open.Centre(), expected = ExpectedCentre(photo->id);
        EXPECT_TRUE(Near(centre, expected, 12)) << Hex(centre) << " for " << Hex(expected);
        EXPECT_TRUE(open.Preview().Text().empty());
        // A service size that fits the pane, not the original.
        EXPECT_NE(open.Preview().WantedUrl().find(L"/s"), std::wstring::npos);
        EXPECT_EQ(open.Preview().WantedUrl().find(L"/s0/"), std::wstring::npos);
        seen.push_back(centre);
    }
    EXPECT_NE(seen[0], seen[1]);
    // Every picture once (the next row's may come ahead of its selection);
    // showing one again comes from memory.
    const auto paths = [&] {
        std::vector<std::string> all;
        for (const Json& request : ImageRequests())
            all.push_back(request["path"].string);
        return all;
    };
    std::vector<std::string> fetched = paths();
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(std::unique(fetched.begin(), fetched.end()), fetched.end()) << "a picture fetched twice";
    EXPECT_GE(fetched.size(), stills.size());
    // The first row, shown at the opening, may be a video's.
    EXPECT_LE(fetched.size(), stills.size() + 2);
    open.Select(stills[0]);
    EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown) << "at once, without waiting";
    const std::wstring& url = open.Preview().WantedUrl();
    const std::string path = Narrow(url.substr(url.find(L'/', url.find(L"://") + 3)));
    fetched = paths();
    EXPECT_EQ(std::count(fetched.begin(), fetched.end(), path), 1) << path;
    // The pane is beside the list, which keeps most of the room.
    RECT listRect = {}, paneRect = {};
    GetWindowRect(open.list, &listRect);
    GetWindowRect(open.pane, &paneRect);
    EXPECT_LE(listRect.right, paneRect.left);
    EXPECT_GT(listRect.right - listRect.left, paneRect.right - paneRect.left);
}

TEST_P(PhotoPreview, SteppingRowByRowFetchesTheNextRowsAheadAndAJumpOneRow)
{
    static_assert(CPhotoInfoDlg::kStepAhead == 3, "the table's rows");
    // Rows chosen in turn after the list opened on its first row, then the
    // rows whose pictures were asked for (from the end when negative): the
    // first row or a jump fetches one row ahead in its direction, a step
    // down three.
    const struct { std::vector<int> choices, fetched; } cases[] = {
        {{}, {0, 1}}, {{1}, {0, 1, 2, 3, 4}}, {{-1, -4}, {0, 1, -5, -4, -1}}};
    for (const auto& c : cases) {
        StandIn::ClearRequests();
        OpenList open(albums, client, Settings());
        const int rows = ListTest::Rows(open.list);
        ASSERT_GE(rows, 7);
        ASSERT_TRUE(open.WaitSettled());
        const auto row = [&](int at) { return at < 0 ? rows + at : at; };
        for (int choice : c.choices) {
            open.Select(row(choice));
            ASSERT_TRUE(open.WaitSettled());
        }
        const auto fetched = [&] {
            std::vector<int> found;
            const std::vector<Json> requests = ImageRequests();
            for (int r = 0; r < rows; ++r)
                if (std::any_of(requests.begin(), requests.end(), [&](const Json& request) {
                        return request["path"].string.find("/" + Narrow(open.dialog.RowPhoto(r)->id) + "/") !=
                               std::string::npos;
                    }))
                    found.push_back(r);
            return found;
        };
        // Once the last of them is kept, nothing else was waiting to go.
        std::vector<int> expected;
        for (int at : c.fetched)
            expected.push_back(row(at));
        EXPECT_TRUE(WaitFor(open.window, [&] { return open.Preview().Cache().Size() >= expected.size(); }));
        EXPECT_EQ(fetched(), expected);
        // Each of them shows at once when chosen, from memory.
        for (int at : expected) {
            open.Select(at);
            EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown) << at;
        }
    }
}

TEST_P(PhotoPreview, FastRunOfArrowKeysEndsWithTheLastRowsPicture)
{
    // Slow replies, so that later keys come while earlier pictures are on
    // their way (a second each: far longer than a key takes, however busy
    // the machine).
    StandIn::Control("POST", "settings", "{\"latency_ms\": 1000}");
    OpenList open(albums, client, Settings());
    const int rows = ListTest::Rows(open.list);
    ASSERT_GE(rows, 5);
    open.Select(0);
    for (int row = 1; row < rows; ++row)
        ListTest::PressKey(open.window, open.list, VK_DOWN);
    const int last = int(SendMessageW(open.list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    ASSERT_EQ(last, rows - 1);
    ASSERT_TRUE(open.WaitSettled());
    const PhotoEntry* photo = open.dialog.RowPhoto(last);
    ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
    EXPECT_NE(open.Preview().WantedUrl().find(L"/" + photo->id + L"/"), std::wstring::npos);
    const COLORREF centre = open.Centre();
    if (!IsVideo(*photo))
        EXPECT_TRUE(Near(centre, ExpectedCentre(photo->id), 12)) << Hex(centre);
    // Pictures asked for on the way were dropped, not all fetched in turn
    // (keys that waited for the network would have fetched every one). A
    // dropped fetch is cut at once and brings no picture.
    EXPECT_LT(open.Preview().Cache().Size(), size_t(rows));
    // Nothing later replaces the last row's picture.
    const std::wstring shown = open.Preview().WantedUrl();
    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");
    open.Select(0);
    open.Select(last);
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_EQ(open.Preview().WantedUrl(), shown);
}

TEST_P(PhotoPreview, PictureThatFailsOrIsNoPictureShowsTheTextAndTheListGoesOn)
{
    // Each fault on the pictures of one photo, so that a picture fetched
    // ahead for another row is not touched.
    const std::vector<std::string> faults = {
        R"("count": -1, "status": 200, "content_type": "image/png", "body": "not a picture"})",
        R"("count": -1, "status": 404, "body": "gone"})",
        R"("count": -1, "action": "reset"})",
    };
    OpenList open(albums, client, Settings());
    const std::vector<int> stills = Rows(open, false);
    ASSERT_GE(stills.size(), 4u);
    for (size_t i = 0; i < faults.size(); ++i) {
        const std::wstring& content = open.dialog.RowPhoto(stills[i])->contentUrl;
        const size_t path = content.find(L'/', content.find(L"://") + 3);
        StandIn::Fault("{\"path\": \"" + Narrow(content.substr(path, content.rfind(L'/') + 1 - path)) + "\", " + faults[i]);
    }
    for (size_t i = 0; i < faults.size(); ++i) {
        SCOPED_TRACE(faults[i]);
        open.Select(stills[i]);
        ASSERT_TRUE(open.WaitSettled());
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Failed);
        EXPECT_EQ(open.Preview().Text(), language.String(IDS_PREVIEW_FAILED));
        EXPECT_EQ(open.Centre(), GetSysColor(COLOR_3DFACE)) << "no picture drawn";
    }
    StandIn::Control("POST", "clear-faults");
    // No message box came, and the next photo shows.
    EXPECT_EQ(FindWindowW(L"#32770", nullptr) == open.window || !FindWindowW(L"#32770", nullptr), true);
    open.Select(stills[3]);
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
    // A failed picture is asked for again when its row is selected again.
    open.Select(stills[0]);
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
}

TEST_P(PhotoPreview, VideoShowsItsStillAndSaysItIsAVideoOfItsLength)
{
    OpenList open(albums, client, Settings());
    const std::vector<int> videos = Rows(open, true);
    ASSERT_EQ(videos.size(), 3u);
    for (int row : videos) {
        const PhotoEntry* photo = open.dialog.RowPhoto(row);
        SCOPED_TRACE(Narrow(photo->title));
        open.Select(row);
        ASSERT_TRUE(open.WaitSettled());
        ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
        EXPECT_EQ(open.Preview().Text(),
                  FormatText(language.String(IDS_PREVIEW_VIDEO), {int64_t(photo->uploadedVideoDuration)}));
        EXPECT_NE(open.Preview().Text().find(std::to_wstring(photo->uploadedVideoDuration)), std::wstring::npos);
        // The still, not the video file.
        EXPECT_NE(open.Preview().WantedUrl().find(L"/img/"), std::wstring::npos);
        // The note takes a line under the picture, so the middle is a little
        // lower in the gradient.
        const COLORREF centre = open.Centre();
        EXPECT_TRUE(Near(centre, ExpectedCentre(photo->id), 28)) << Hex(centre);
    }
    for (const Json& request : Requests("video"))
        ADD_FAILURE() << "a video file was fetched: " << request["path"].string;
}

TEST_P(PhotoPreview, HiddenPaneFetchesNothingAndItsStateIsRemembered)
{
    WritePrivateProfileStringW(CPhotoInfoDlg::kSection, CPhotoInfoDlg::kPreviewKey, L"0", ini.c_str());
    {
        OpenList open(albums, client, Settings());
        EXPECT_FALSE(IsWindowVisible(open.pane));
        EXPECT_EQ(SendDlgItemMessageW(open.window, IDC_PREVIEW_SHOW, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        // The list takes the pane's room.
        RECT listRect = {}, paneRect = {};
        GetWindowRect(open.list, &listRect);
        GetWindowRect(open.pane, &paneRect);
        EXPECT_EQ(listRect.right, paneRect.right);
        for (int row = 0; row < ListTest::Rows(open.list); ++row)
            open.Select(row);
        EXPECT_EQ(open.Preview().Fetches(), 0u);
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Empty);
        // Shown again: the selected photo's picture, one request in all.
        open.TogglePane();
        EXPECT_EQ(SendDlgItemMessageW(open.window, IDC_PREVIEW_SHOW, BM_GETCHECK, 0, 0), BST_CHECKED);
        ASSERT_TRUE(open.WaitSettled());
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
        EXPECT_EQ(ImageRequests().size(), 1u);
        GetWindowRect(open.list, &listRect);
        GetWindowRect(open.pane, &paneRect);
        EXPECT_LT(listRect.right, paneRect.left);
        // Hidden again through the box, and closed.
        open.TogglePane();
        EXPECT_FALSE(IsWindowVisible(open.pane));
        Press(open.window, IDCANCEL);
    }
    EXPECT_EQ(GetPrivateProfileIntW(CPhotoInfoDlg::kSection, CPhotoInfoDlg::kPreviewKey, -1, ini.c_str()), 0);
    {
        OpenList open(albums, client, Settings());
        open.TogglePane();
        Press(open.window, IDCANCEL);
    }
    EXPECT_EQ(GetPrivateProfileIntW(CPhotoInfoDlg::kSection, CPhotoInfoDlg::kPreviewKey, -1, ini.c_str()), 1);
}

TEST_P(PhotoPreview, EnterAndDoubleClickOpenThePhotosPage)
{
    OpenList open(albums, client, Settings());
    const std::vector<int> stills = Rows(open, false);
    ASSERT_GE(stills.size(), 2u);
    open.Select(stills[0]);
    ListTest::PressKey(open.window, open.list, VK_RETURN);
    ASSERT_TRUE(IsWindow(open.window)) << "Enter on the list keeps the list open";
    ASSERT_EQ(open.opened.size(), 1u);
    EXPECT_EQ(open.opened[0], open.dialog.RowPhoto(stills[0])->alternateLink);

    RECT cell = {};
    cell.left = LVIR_LABEL;
    SendMessageW(open.list, LVM_GETITEMRECT, WPARAM(stills[1]), reinterpret_cast<LPARAM>(&cell));
    const LPARAM point = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    SendMessageW(open.list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(open.list, WM_LBUTTONUP, 0, point);
    SendMessageW(open.list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(open.list, WM_LBUTTONUP, 0, point);
    PumpMessages(open.window);
    ASSERT_EQ(open.opened.size(), 2u);
    EXPECT_EQ(open.opened[1], open.dialog.RowPhoto(stills[1])->alternateLink);
    // Without a selected row Enter still closes the list.
    ListTest::SetState(open.list, -1, LVIS_SELECTED | LVIS_FOCUSED, false);
    ListTest::PressKey(open.window, open.list, VK_RETURN);
    EXPECT_FALSE(IsWindow(open.window));
    EXPECT_EQ(open.opened.size(), 2u);
}

// The media are on another origin than the photo server (127.0.0.1 for
// localhost: the same stand-in, another host name): they get no token.
TEST_P(PhotoPreview, MediaOnAnotherOriginNeverSeeTheToken)
{
    const std::wstring base = StandIn::BaseW();
    const size_t host = base.find(L"localhost");
    ASSERT_NE(host, std::wstring::npos) << Narrow(base);
    std::vector<PhotoListAlbum> moved;
    for (const PhotoListAlbum& album : albums) {
        PhotoListAlbum copy{album.album, std::make_unique<std::vector<PhotoEntry>>(*album.photos)};
        for (size_t i = 0; i < copy.photos->size(); i += 2) {
            std::wstring& url = (*copy.photos)[i].contentUrl;
            ASSERT_EQ(url.compare(0, base.size(), base), 0) << Narrow(url);
            url.replace(host, 9, L"127.0.0.1");
        }
        moved.push_back(std::move(copy));
    }
    OpenList open(moved, client, Settings());
    const int rows = ListTest::Rows(open.list);
    for (int row = 0; row < rows; ++row) {
        open.Select(row);
        ASSERT_TRUE(open.WaitSettled());
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown) << row;
    }
    const std::string token = "GoogleLogin auth=" + Narrow(client.Access().Token());
    int elsewhere = 0, home = 0;
    for (const Json& request : ImageRequests()) {
        const std::string hostHeader = StandIn::HeaderValue(request, "Host");
        if (hostHeader.rfind("127.0.0.1", 0) == 0) {
            ++elsewhere;
            EXPECT_FALSE(StandIn::HasHeader(request, "Authorization")) << request["path"].string;
        } else {
            ++home;
            EXPECT_EQ(StandIn::HeaderValue(request, "Authorization"), token) << request["path"].string;
        }
    }
    EXPECT_GT(elsewhere, 0);
    EXPECT_GT(home, 0);
    EXPECT_EQ(elsewhere + home, rows);
}

// The size in a picture's address: N of its "/sN/" folder; 0 for none.
int SideInUrl(const std::wstring& url)
{
    const size_t file = url.rfind(L'/');
    const size_t folder = file == std::wstring::npos || file == 0 ? std::wstring::npos : url.rfind(L'/', file - 1);
    if (folder == std::wstring::npos || url.compare(folder + 1, 1, L"s") != 0)
        return 0;
    return _wtoi(url.substr(folder + 2, file - folder - 2).c_str());
}

// The size that fills the pane's room (the pane less its margins) as the
// window shows it now, at its DPI.
int SideFillingThePane(HWND pane, const PhotoEntry& photo)
{
    RECT rect = {};
    GetClientRect(pane, &rect);
    const int margins = 2 * CPhotoPreview::kMargin;
    return PreviewImageSide(rect.right - margins, rect.bottom - margins, photo.width, photo.height);
}

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// What the system does on a move to a screen of 1.5 times the DPI: the
// dialog hears of it and takes the suggested size, and the dialog manager
// rescales the controls (here after the new size, the order in which a
// pane that looks only at WM_SIZE would keep its old picture size).
void MoveToOneAndAHalfTimesTheDpi(HWND window)
{
    RECT frame = {};
    GetWindowRect(window, &frame);
    std::vector<std::pair<HWND, RECT>> scaled;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = ChildRect(window, child);
        scaled.push_back({child, {r.left * 3 / 2, r.top * 3 / 2, r.right * 3 / 2, r.bottom * 3 / 2}});
    }
    const UINT dpi = 144;
    RECT suggested = {frame.left, frame.top, frame.left + (frame.right - frame.left) * 3 / 2,
                      frame.top + (frame.bottom - frame.top) * 3 / 2};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    SetWindowPos(window, nullptr, 0, 0, suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& [child, r] : scaled)
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_P(PhotoPreview, AnArrowKeyAsksForTheNewRowsPictureBeforeTheListHasDoneWithTheKey)
{
    OpenList open(albums, client, Settings());
    ASSERT_GE(ListTest::Rows(open.list), 3);
    open.Select(0);
    ASSERT_TRUE(open.WaitSettled());
    // Only the key itself: no message of the dialog's handled after it.
    SendMessageW(open.list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(open.list, WM_KEYUP, VK_DOWN, 0);
    const PhotoEntry* photo = open.dialog.RowPhoto(1);
    ASSERT_NE(photo, nullptr);
    const std::wstring wanted = open.Preview().WantedUrl();
    EXPECT_NE(wanted.find(L"/" + photo->id + L"/"), std::wstring::npos) << Narrow(wanted);
    // The run of changes heard of once more afterwards asks for nothing new.
    ASSERT_TRUE(open.WaitSettled());
    PumpMessages(open.window);
    EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
    EXPECT_EQ(open.Preview().WantedUrl(), wanted);
    const std::string path = Narrow(wanted.substr(wanted.find(L'/', wanted.find(L"://") + 3)));
    int asked = 0;
    for (const Json& request : ImageRequests())
        asked += request["path"].string == path ? 1 : 0;
    EXPECT_EQ(asked, 1) << path;
}

TEST_P(PhotoPreview, APictureIsPaintedAsSoonAsItIsThereAheadOfWhateverElseIsQueued)
{
    OpenList open(albums, client, Settings());
    const std::vector<int> stills = Rows(open, false);
    ASSERT_GE(stills.size(), 2u);
    // A row chosen with nothing of the dialog's dispatched but the loader's
    // word that a picture is there; a kept one shows at once.
    const auto choose = [&](int row) {
        ListTest::SetState(open.list, -1, LVIS_SELECTED | LVIS_FOCUSED, false);
        ListTest::SetState(open.list, row, LVIS_SELECTED | LVIS_FOCUSED, true);
        const DWORD start = GetTickCount();
        MSG msg;
        while (open.Preview().GetState() != CPhotoPreview::State::Shown) {
            if (PeekMessageW(&msg, open.window, CPhotoPreviewLoader::kReadyMessage, CPhotoPreviewLoader::kReadyMessage,
                             PM_REMOVE))
                DispatchMessageW(&msg);
            else if (GetTickCount() - start > 30000)
                return false;
            else
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
        }
        return true;
    };
    for (int row : {stills[0], stills[1], stills[0]}) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(choose(row));
        EXPECT_FALSE(GetUpdateRect(open.pane, nullptr, FALSE)) << "the pane waits to be painted";
    }
}

TEST_P(PhotoPreview, AChangeOfDpiAsksForThePictureThatFillsThePaneAndShowsTheOldOneMeanwhile)
{
    OpenList open(albums, client, Settings());
    const std::vector<int> stills = Rows(open, false);
    ASSERT_FALSE(stills.empty());
    open.Select(stills[0]);
    ASSERT_TRUE(open.WaitSettled());
    ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
    const PhotoEntry& photo = *open.dialog.RowPhoto(stills[0]);
    const int before = SideInUrl(open.Preview().WantedUrl());
    EXPECT_EQ(before, SideFillingThePane(open.pane, photo)) << "at the window's DPI";
    const COLORREF expected = ExpectedCentre(photo.id);

    // Slow replies: the new size is still on its way while the pane is looked at.
    StandIn::Control("POST", "settings", "{\"latency_ms\": 3000}");
    MoveToOneAndAHalfTimesTheDpi(open.window);
    PumpMessages(open.window);
    const std::wstring wanted = open.Preview().WantedUrl();
    EXPECT_EQ(SideInUrl(wanted), SideFillingThePane(open.pane, photo)) << Narrow(wanted);
    EXPECT_GT(SideInUrl(wanted), before);
    ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Loading);
    // No blank pause: the picture there is drawn over the new room.
    EXPECT_TRUE(open.Preview().HasStandIn());
    EXPECT_TRUE(open.Preview().Text().empty());
    const COLORREF meanwhile = open.Centre();
    EXPECT_TRUE(Near(meanwhile, expected, 12)) << Hex(meanwhile);
    // The list keeps its gap to the pane.
    RECT listRect = ChildRect(open.window, open.list), paneRect = ChildRect(open.window, open.pane);
    EXPECT_LT(listRect.right, paneRect.left);

    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
    EXPECT_EQ(open.Preview().WantedUrl(), wanted);
    EXPECT_FALSE(open.Preview().HasStandIn());
    const COLORREF centre = open.Centre();
    EXPECT_TRUE(Near(centre, expected, 12)) << Hex(centre);
    // Another photo never borrows the one before as its stand-in.
    open.Select(stills[1]);
    EXPECT_FALSE(open.Preview().HasStandIn());
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoPreview, ::testing::Values("en", "ja"));

// The window's helper stops before the window goes: a picture finished
// afterwards is never announced to a window handle that is gone.
class PhotoPreviewClosing : public PhotoPreview
{
};

TEST_P(PhotoPreviewClosing, TheLoaderStopsBeforeItsWindowIsDestroyed)
{
    OpenList open(albums, client, Settings());
    const std::vector<int> stills = Rows(open, false);
    ASSERT_FALSE(stills.empty());
    open.Select(stills[0]);
    ASSERT_TRUE(open.WaitSettled());
    EXPECT_FALSE(open.Preview().Stopped());
    DestroyWindow(open.window);
    // The window is gone, the dialog object is not yet.
    EXPECT_TRUE(open.Preview().Stopped());
}

INSTANTIATE_TEST_SUITE_P(English, PhotoPreviewClosing, ::testing::Values("en"));

// The photo list's layout after a drag of its size grip (a new size) and
// after a maximize, at the DPI of the run: every control lies inside the
// window and apart from the others, every one is painted anew, and the
// pane grows with the window and asks for a larger picture.
class PhotoListLayout : public PhotoPreview
{
};

TEST_P(PhotoListLayout, AResizeOrAMaximizeRepaintsEveryControlAndThePaneGrowsWithTheWindow)
{
    OpenList open(albums, client, Settings());
    ASSERT_TRUE(open.WaitSettled());
    const RECT paneBefore = ChildRect(open.window, open.pane);
    RECT clientBefore = {};
    GetClientRect(open.window, &clientBefore);
    const int sideBefore = SideInUrl(open.Preview().WantedUrl());
    ASSERT_GT(sideBefore, 0);
    bool grew = false;
    for (const bool maximize : {true, false}) {
        SCOPED_TRACE(maximize ? "maximized" : "resized");
        RedrawWindow(open.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (maximize) {
            ShowWindow(open.window, SW_MAXIMIZE);
        } else {
            ShowWindow(open.window, SW_RESTORE);
            RedrawWindow(open.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            RECT frame = {};
            GetWindowRect(open.window, &frame);
            SetWindowPos(open.window, nullptr, 0, 0, frame.right - frame.left + 240, frame.bottom - frame.top + 160,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT client = {};
        GetClientRect(open.window, &client);
        std::vector<std::pair<int, RECT>> shown;
        for (HWND child = GetWindow(open.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child))
                continue;
            const int id = GetDlgCtrlID(child);
            // Before any paint: each control waits for one (the pane paints
            // its picture itself, at once when it has it).
            if (child != open.pane)
                EXPECT_TRUE(GetUpdateRect(child, nullptr, FALSE)) << "control " << id << " is not repainted";
            const RECT r = ChildRect(open.window, child);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << "control " << id << " leaves the client area";
            // The grip sits in the corner's margin, over whatever reaches it.
            for (const auto& [other, rect] : shown) {
                if (id == CResizeRule::kGripId || other == CResizeRule::kGripId)
                    continue;
                RECT overlap = {};
                EXPECT_FALSE(IntersectRect(&overlap, &r, &rect)) << "control " << id << " overlaps " << other;
            }
            shown.emplace_back(id, r);
        }
        EXPECT_GE(shown.size(), 5u);
        // The pane takes half of the width gained (a window laid out at a
        // high DPI may already be as large as the screen lets it be).
        const RECT pane = ChildRect(open.window, open.pane);
        grew = client.right > clientBefore.right;
        EXPECT_NEAR(pane.right - pane.left - (paneBefore.right - paneBefore.left),
                    (client.right - clientBefore.right) / 2, 2);
        EXPECT_LT(ChildRect(open.window, open.list).right, pane.left);
        PumpMessages(open.window);
    }
    ASSERT_TRUE(open.WaitSettled());
    if (grew)
        EXPECT_GT(SideInUrl(open.Preview().WantedUrl()), sideBefore) << Narrow(open.Preview().WantedUrl());
}

INSTANTIATE_TEST_SUITE_P(English, PhotoListLayout, ::testing::Values("en"));

// Album 0001 of the large data: 1,000 photos stepped through one by one.
class PhotoPreviewLarge : public SignedIn
{
protected:
    PhotoPreviewLarge() : SignedIn("large", "large", L"large") {}
};

TEST_P(PhotoPreviewLarge, MemoryStaysFlatOverAThousandRows)
{
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const auto& all = client.GetAlbums();
    size_t big = all.size();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].title == L"Album 0001")
            big = i;
    ASSERT_LT(big, all.size());
    const std::vector<PhotoListAlbum> albums = LoadPhotoListAlbums(client, {big}, true);
    ASSERT_EQ(albums.size(), 1u);
    ASSERT_EQ(albums[0].photos->size(), 1000u);

    const long before = CDibImage::LiveCount();
    long most = 0;
    {
        OpenList open(albums, client, Settings());
        const int rows = ListTest::Rows(open.list);
        ASSERT_EQ(rows, 1000);
        for (int row = 0; row < rows; ++row) {
            open.Select(row);
            ASSERT_TRUE(open.WaitSettled()) << row;
            ASSERT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown) << row;
            most = std::max(most, CDibImage::LiveCount() - before);
            ASSERT_LE(open.Preview().Cache().Size(), CPhotoPreviewCache::kDefaultCapacity);
        }
        // The last 64 are kept: the row 60 back shows at once, one far back
        // has to be fetched again.
        const uint64_t fetched = open.Preview().Fetches();
        EXPECT_EQ(fetched, 1000u);
        open.Select(rows - 60);
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
        EXPECT_EQ(open.Preview().Fetches(), fetched);
        open.Select(0);
        ASSERT_TRUE(open.WaitSettled());
        EXPECT_EQ(open.Preview().GetState(), CPhotoPreview::State::Shown);
        EXPECT_EQ(open.Preview().Fetches(), fetched + 1);
    }
    EXPECT_LE(most, long(CPhotoPreviewCache::kDefaultCapacity) + 2) << "pictures alive at once";
    // A picture fetched ahead and still being decoded at the close goes with
    // the loader's thread, which the close does not wait for.
    EXPECT_TRUE(WaitFor(nullptr, [&] { return CDibImage::LiveCount() == before; }))
        << "every picture freed with the list";
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoPreviewLarge, ::testing::Values("en"));

} // namespace
