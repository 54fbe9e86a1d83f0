// The windows' lists against a raw list view of the same texts in the same
// kind of window (the same dialog template of the language module, its list
// control left as it is):
//   3  the album window's list on 10,000 albums: rows with links, columns
//      sized, sorted by the stored column, first page drawn  vs  insert +
//      set texts, first page drawn
//   4  the photo list dialog opened on 10,000 photos (rows, links, sizing,
//      sort, first page drawn)  vs  the template's dialog made, insert + set
//      texts, first page drawn
//   5  a click on the album list's title header (sort and redraw)  vs
//      std::sort of the same keys with the same comparison, one
//      LVM_SORTITEMS of the raw list, redraw
// With --memory ours|raw it instead fills one photo list of 10,000 photos
// (the dialog, or the raw fill) and prints the process's peak working set.
//   ListBench.exe --server BASE_URL      (the stand-in with the large data)
//   ListBench.exe --memory ours|raw
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "app/CAppModule.h"
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/albums/CToolDlg.h"
#include "ui/photos/PhotoListRows.h"

namespace {

constexpr int kRows = 10000;
constexpr int kAlbumColumns = 8;

std::wstring Format(const wchar_t* format, int a, int b = 0, int c = 0)
{
    wchar_t text[256];
    swprintf(text, 256, format, a, b, c);
    return text;
}

// A spread of rows that a sort has to move: position i holds number
// (i * 7919) mod n, every number once.
int Scrambled(int i, int n)
{
    return int((long long)i * 7919 % n);
}

std::vector<AlbumEntry> MakeAlbums(const std::wstring& server)
{
    static const wchar_t* const kAccess[] = {L"public", L"private", L"protected"};
    std::vector<AlbumEntry> albums(kRows);
    for (int i = 0; i < kRows; ++i) {
        const int n = Scrambled(i, kRows);
        AlbumEntry& album = albums[size_t(i)];
        album.title = Format(L"Album %05d", n) + (n % 3 ? L"" : L" - holidays by the sea");
        album.id = Format(L"54000000000%08d", n);
        album.numPhotos = (n * 37) % 1000;
        album.bytesUsed = int64_t(album.numPhotos) * 2345678;
        album.access = kAccess[n % 3];
        album.commentingEnabled = L"true";
        album.published = Format(L"2009/%02d/%02d 1%d:24:26", 1 + n % 12, 1 + n % 28, n % 10);
        album.updated = Format(L"2010/%02d/%02d 0%d:36:33", 1 + n % 12, 1 + n % 28, n % 10);
        album.alternateLink = server + Format(L"/large/Album%05d", n);
        album.editLink = server + L"/data/entry/api/user/large/albumid/" + album.id + L"/1";
    }
    return albums;
}

std::vector<PhotoListAlbum> MakePhotoAlbums()
{
    // 100 albums of 100 photos, a video in every 25th.
    std::vector<PhotoListAlbum> albums(100);
    int photoNumber = 0;
    for (int a = 0; a < 100; ++a) {
        PhotoListAlbum& entry = albums[size_t(a)];
        entry.album.title = Format(L"Album %04d", 1 + Scrambled(a, 100));
        entry.album.id = Format(L"54000000000%08d", a);
        entry.album.access = a % 3 == 2 ? L"protected" : L"public";
        entry.photos = std::make_unique<std::vector<PhotoEntry>>(100);
        for (int p = 0; p < 100; ++p, ++photoNumber) {
            PhotoEntry& photo = (*entry.photos)[size_t(p)];
            const int n = Scrambled(photoNumber, kRows);
            photo.sequence = p + 1;
            photo.title = Format(L"IMG_%04d.JPG", n);
            photo.id = Format(L"57000000000%08d", n);
            photo.width = 3264;
            photo.height = n % 4 ? 2448 : 1836;
            photo.size = 1000000 + n * 97;
            photo.viewCount = n % 500;
            photo.commentCount = n % 7;
            photo.starredTotal = n % 3;
            photo.summary = n % 2 ? L"" : L"A caption of some length for the photo, as people write them";
            photo.timestamp = Format(L"2009/%02d/%02d 12:00:00", 1 + n % 12, 1 + n % 28);
            photo.alternateLink = Format(L"http://localhost/large/Album%04d#57000000000%08d", a, n);
            photo.mediaUrl = Format(L"http://localhost/img/%d/%d/s0/IMG.JPG", a, n);
            if (n % 25 == 0) {
                photo.mediaType = L"video/mpeg4";
                photo.mediaWidth = 640;
                photo.mediaHeight = 480;
                photo.uploadedVideoDuration = 12;
            }
        }
    }
    return albums;
}

// The same kind of window as a dialog of the program: its template from the
// language module, nothing behind it.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

HWND PlainDialog(UINT templateId)
{
    return CreateDialogParamW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(templateId), nullptr, PlainDialogProc,
                              0);
}

void AddColumns(HWND list, int count)
{
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 100;
        column.pszText = const_cast<wchar_t*>(L"Column");
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
}

// Insert and set texts, nothing else; the row's index rides in its item
// data for the raw sort.
void RawFill(HWND list, const std::vector<std::vector<std::wstring>>& rows)
{
    for (int i = 0; i < int(rows.size()); ++i) {
        const std::vector<std::wstring>& cells = rows[size_t(i)];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.lParam = i;
        item.pszText = const_cast<wchar_t*>(cells[0].c_str());
        const int row = int(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        for (int c = 1; c < int(cells.size()); ++c) {
            LVITEMW cell = {};
            cell.iSubItem = c;
            cell.pszText = const_cast<wchar_t*>(cells[size_t(c)].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
        }
    }
}

// The raw fill again with the list's redraw off meanwhile: not the floor the
// ratios are taken against, printed beside them for what it tells.
void RawFillQuiet(HWND list, const std::vector<std::vector<std::wstring>>& rows)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    RawFill(list, rows);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void PrintQuiet(const char* what, const bench::Pair& times)
{
    std::printf("# %s against a raw fill with redraw off: %.1f ms / %.1f ms = %.2f\n", what, times.ours, times.floor,
                times.ours / times.floor);
}

void Show(HWND dialog, HWND list)
{
    ShowWindow(dialog, SW_SHOWNA);
    UpdateWindow(dialog);
    UpdateWindow(list);
}

std::vector<std::vector<std::wstring>> PhotoTexts(const std::vector<PhotoListAlbum>& albums)
{
    std::vector<std::vector<std::wstring>> rows;
    int ordinal = 0;
    for (const PhotoListAlbum& entry : albums) {
        ++ordinal;
        for (const PhotoEntry& photo : *entry.photos)
            rows.push_back(PhotoRowCells(entry.album, ordinal, photo, false, L"Photo", L"Video"));
    }
    return rows;
}

int Memory(const std::wstring& side, const SettingsLocation& settings)
{
    // The program lists photos only after the requests that fetched them, so
    // by then it holds WinHTTP, which it loads at the first request; both
    // sides load it as the program has it. (Under Wine the process heap keeps
    // several megabytes more for the same fill without it.)
    if (!LoadLibraryW(L"winhttp.dll")) {
        std::fprintf(stderr, "ListBench: winhttp.dll does not load\n");
        return 1;
    }
    const std::vector<PhotoListAlbum> albums = MakePhotoAlbums();
    if (side == L"ours") {
        CPhotoInfoDlg dialog(albums, false, settings);
        Show(dialog.Create(nullptr), dialog.List().Handle());
        bench::PrintMemory("photo list, 10,000 photos");
    } else {
        const auto rows = PhotoTexts(albums);
        HWND dialog = PlainDialog(IDD_PHOTO_LIST);
        HWND list = GetDlgItem(dialog, IDC_PHOTOS);
        AddColumns(list, kPhotoListColumnCount);
        RawFill(list, rows);
        Show(dialog, list);
        bench::PrintMemory("raw fill of the same texts");
        DestroyWindow(dialog);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const std::wstring memory = bench::Arg(argc, argv, L"--memory");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    if (server.empty() && memory.empty()) {
        std::fprintf(stderr, "usage: ListBench --server BASE_URL [--rounds N] | --memory ours|raw\n");
        return 2;
    }
    SettingsLocation settings;
    if (!bench::ReadyWindows("ListBench", L"quillon-bench.ini", settings))
        return 1;

    if (!memory.empty())
        return Memory(memory, settings);

    PicasaClient client(server, server);
    if (client.Login("large@example.com", L"large", "bench") != ERROR_SUCCESS) {
        std::fprintf(stderr, "ListBench: sign-in to %ls failed\n", server.c_str());
        return 1;
    }

    // 3: the album window opens on what the service has, then shows the
    // 10,000 albums as a refresh does after loading them.
    {
        CToolDlg window(client, settings);
        if (!window.Create(nullptr)) {
            std::fprintf(stderr, "ListBench: the album window did not open\n");
            return 1;
        }
        client.GetAlbums() = MakeAlbums(server);
        const std::vector<AlbumEntry>& albums = client.GetAlbums();
        std::vector<std::vector<std::wstring>> rows;
        for (const AlbumEntry& album : albums)
            rows.push_back({album.title, std::to_wstring(album.numPhotos), AlbumSizeText(album.bytesUsed, false),
                            album.published, album.updated, AccessLevelText(album.access), album.id,
                            album.alternateLink});
        HWND raw = PlainDialog(IDD_ALBUMS);
        HWND rawList = GetDlgItem(raw, IDC_ALBUM_LIST);
        AddColumns(rawList, kAlbumColumns);
        HWND list = window.List().Handle();

        // As at opening: the window hidden and its list empty.
        const bench::Pair open = bench::BestOf(
            rounds,
            [&] {
                ShowWindow(window.Handle(), SW_HIDE);
                window.List().DeleteAllRows();
            },
            [&] {
                window.ShowAlbums(false);
                window.List().SortByColumn(0, false);
                Show(window.Handle(), list);
            },
            [&] {
                ShowWindow(raw, SW_HIDE);
                SendMessageW(rawList, LVM_DELETEALLITEMS, 0, 0);
            },
            [&] {
                RawFill(rawList, rows);
                Show(raw, rawList);
            });
        std::printf("# album rows: %d and %d\n", window.RowCount(), int(SendMessageW(rawList, LVM_GETITEMCOUNT, 0, 0)));
        bench::PrintRatio(3, "album window, 10,000 albums", open, "1.5");
        const bench::Pair quiet = bench::BestOf(
            rounds, nullptr, [&] {},
            [&] {
                ShowWindow(raw, SW_HIDE);
                SendMessageW(rawList, LVM_DELETEALLITEMS, 0, 0);
            },
            [&] {
                RawFillQuiet(rawList, rows);
                Show(raw, rawList);
            });
        PrintQuiet("album window", bench::Pair{open.ours, quiet.floor});
        bench::PumpMessages();

        // 5: the title header clicked, which reverses the sort each time.
        std::vector<std::wstring> keys;
        for (const auto& cells : rows)
            keys.push_back(cells[0].substr(0, 31));
        std::vector<int> order(keys.size());
        std::vector<int> rank(keys.size());
        bool descending = false;
        NMHEADERW click = {};
        click.hdr.hwndFrom = window.List().Header();
        click.hdr.idFrom = UINT_PTR(GetDlgCtrlID(click.hdr.hwndFrom));
        click.hdr.code = HDN_ITEMCLICKW;
        click.iItem = 0;
        click.iButton = 0;
        const bench::Pair sort = bench::BestOf(
            rounds,
            [&] {
                SendMessageW(list, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
                UpdateWindow(list);
            },
            [&] {
                descending = !descending;
                std::iota(order.begin(), order.end(), 0);
                std::sort(order.begin(), order.end(), [&](int a, int b) {
                    const int c = lstrcmpW(keys[size_t(a)].c_str(), keys[size_t(b)].c_str());
                    return descending ? c > 0 : c < 0;
                });
                for (int i = 0; i < int(order.size()); ++i)
                    rank[size_t(order[size_t(i)])] = i;
                SendMessageW(rawList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank),
                             reinterpret_cast<LPARAM>(+[](LPARAM a, LPARAM b, LPARAM ranks) -> int {
                                 const auto& r = *reinterpret_cast<const std::vector<int>*>(ranks);
                                 return r[size_t(a)] - r[size_t(b)];
                             }));
                UpdateWindow(rawList);
            });
        bench::PrintRatio(5, "title header click, 10,000 albums", sort, "2");
        DestroyWindow(raw);
    }

    // 4: the photo list dialog opened on 10,000 photos.
    {
        const std::vector<PhotoListAlbum> albums = MakePhotoAlbums();
        const auto rows = PhotoTexts(albums);
        std::unique_ptr<CPhotoInfoDlg> dialog;
        HWND raw = nullptr;
        const auto closeRaw = [&] {
            if (raw)
                DestroyWindow(raw);
            raw = nullptr;
        };
        // The raw photo list dialog, its rows put in by `fill`.
        const auto openRaw = [&](void (*fill)(HWND, const std::vector<std::vector<std::wstring>>&)) {
            return [&, fill] {
                raw = PlainDialog(IDD_PHOTO_LIST);
                HWND list = GetDlgItem(raw, IDC_PHOTOS);
                AddColumns(list, kPhotoListColumnCount);
                fill(list, rows);
                Show(raw, list);
            };
        };
        const bench::Pair open = bench::BestOf(
            rounds,
            [&] {
                dialog.reset();
                dialog = std::make_unique<CPhotoInfoDlg>(albums, false, settings);
            },
            [&] { Show(dialog->Create(nullptr), dialog->List().Handle()); },
            closeRaw,
            openRaw(RawFill));
        std::printf("# photo rows: %d\n", dialog->List().RowCount());
        bench::PrintRatio(4, "photo list, 10,000 photos", open, "1.5");
        const bench::Pair quiet = bench::BestOf(
            rounds, nullptr, [&] {},
            closeRaw,
            openRaw(RawFillQuiet));
        PrintQuiet("photo list", bench::Pair{open.ours, quiet.floor});
        dialog.reset();
        DestroyWindow(raw);
    }
    CoUninitialize();
    return 0;
}
