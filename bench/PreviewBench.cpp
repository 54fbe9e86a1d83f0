// Item 8: the photo list's preview stepping through 100 photos of the large
// data's Album 0001, one selection at a time (the Down key), each step done
// when the selected photo's picture shows; against a bare keep-alive WinHTTP
// GET and a bare WIC decode (to 32-bit pixels) of the same pictures in the
// same order. Every round starts with an empty cache (a new photo list) and
// a new connection on both sides.
// A second floor, printed as a note, also steps through the same list with
// the pane hidden: it tells the list's own share of a step.
//   PreviewBench.exe --server BASE_URL [--rounds N]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CAppModule.h"
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/photos/PhotoListCommand.h"
#include "ui/photos/PhotoListLoader.h"
#include "service/PhotoServerAccess.h"
#include "ui/photos/PhotoPreviewUrl.h"
#include "ui/photos/CWicDecoder.h"
#include "http/WinHttpClient.h"

namespace {

constexpr int kSteps = 100;

// The first row chosen, then each next one with the Down key, as a user
// steps through the list.
void Select(HWND list, int row)
{
    if (row > 0) {
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(list, WM_KEYUP, VK_DOWN, 0);
        return;
    }
    SetFocus(list);
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

// The floor's decode: the platform's imaging component, the first frame
// converted to 32-bit pixels in a buffer, nothing else.
bool BareDecode(IWICImagingFactory* factory, const std::vector<char>& bytes, std::vector<BYTE>& pixels)
{
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    bool ok = SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                                     DWORD(bytes.size()))) &&
              SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
              SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                              0.0, WICBitmapPaletteTypeCustom));
    UINT width = 0, height = 0;
    if (ok)
        ok = SUCCEEDED(converter->GetSize(&width, &height));
    if (ok) {
        pixels.resize(size_t(width) * height * 4);
        ok = SUCCEEDED(converter->CopyPixels(nullptr, width * 4, UINT(pixels.size()), pixels.data()));
    }
    for (IUnknown* p : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(frame),
                        static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(stream)})
        if (p)
            p->Release();
    return ok;
}

// A raw list view in a plain window: the photo list's columns and texts, its
// size and font, nothing else (no custom draw, no notifications handled).
HWND RawCopyOfList(HWND ours, HWND& host)
{
    RECT rect = {};
    GetWindowRect(ours, &rect);
    host = CreateWindowExW(0, L"#32770", L"", WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left + 40,
                           rect.bottom - rect.top + 60, nullptr, nullptr, nullptr, nullptr);
    HWND raw = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                               0, 0, rect.right - rect.left, rect.bottom - rect.top, host, nullptr, nullptr, nullptr);
    SendMessageW(raw, WM_SETFONT, SendMessageW(ours, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(raw, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const int columns = int(SendMessageW(HWND(SendMessageW(ours, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
    wchar_t text[1024];
    for (int c = 0; c < columns; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = int(std::size(text));
        SendMessageW(ours, LVM_GETCOLUMNW, WPARAM(c), reinterpret_cast<LPARAM>(&column));
        SendMessageW(raw, LVM_INSERTCOLUMNW, WPARAM(c), reinterpret_cast<LPARAM>(&column));
    }
    const int rows = int(SendMessageW(ours, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        for (int c = 0; c < columns; ++c) {
            LVITEMW item = {};
            item.iItem = row;
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = int(std::size(text));
            SendMessageW(ours, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
            item.mask = LVIF_TEXT;
            SendMessageW(raw, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        }
    ShowWindow(host, SW_SHOW);
    UpdateWindow(host);
    return raw;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    if (server.empty()) {
        std::fprintf(stderr, "usage: PreviewBench --server BASE_URL [--rounds N]\n");
        return 2;
    }
    SettingsLocation settings;
    if (!bench::ReadyWindows("PreviewBench", L"quillon-preview-bench.ini", settings))
        return 1;

    PicasaClient client(server, server);
    if (!bench::SignInAndLoadAlbums("PreviewBench", client, "large@example.com", L"large"))
        return 1;
    size_t big = client.GetAlbums().size();
    for (size_t i = 0; i < client.GetAlbums().size(); ++i)
        if (client.GetAlbums()[i].title == L"Album 0001")
            big = i;
    if (big == client.GetAlbums().size()) {
        std::fprintf(stderr, "PreviewBench: no Album 0001\n");
        return 1;
    }
    const std::vector<PhotoListAlbum> albums = LoadPhotoListAlbums(client, {big}, true);
    if (albums.empty() || !albums[0].photos || albums[0].photos->size() < size_t(kSteps)) {
        std::fprintf(stderr, "PreviewBench: Album 0001 has too few photos\n");
        return 1;
    }
    const PreviewSource source = client.Access();

    std::unique_ptr<CPhotoInfoDlg> dialog;
    std::vector<std::wstring> urls; // what the preview asked for, in order
    bool failed = false;
    auto open = [&] {
        dialog.reset();
        dialog = std::make_unique<CPhotoInfoDlg>(albums, true, settings);
        dialog->SetPreviewSource(source);
        ShowWindow(dialog->Create(nullptr), SW_SHOW);
        UpdateWindow(dialog->Handle());
    };
    // Where a step's time goes, for the notes: the key (the list's own work,
    // the request made from its notification within), then the wait until
    // the picture has come and is painted. Kept for the fastest round.
    struct Split
    {
        double key = 0, rest = 0, worstStep = 0;
    } split, bestSplit{1e300, 0, 0};
    auto step = [&] {
        HWND list = dialog->List().Handle();
        std::vector<std::wstring> asked;
        split = Split{};
        for (int row = 0; row < kSteps; ++row) {
            const double start = bench::NowMs();
            Select(list, row);
            const double keyDone = bench::NowMs();
            const PhotoEntry* photo = dialog->RowPhoto(row);
            const bool shown = bench::PumpUntil(dialog->Handle(), [&] {
                const CPhotoPreview* preview = dialog->Preview();
                return preview->GetState() == CPhotoPreview::State::Failed ||
                       (preview->GetState() == CPhotoPreview::State::Shown &&
                        preview->WantedUrl().find(L"/" + photo->id + L"/") != std::wstring::npos);
            });
            if (!shown || dialog->Preview()->GetState() != CPhotoPreview::State::Shown)
                failed = true;
            // Painted, as a user sees it (the pane paints a picture as soon
            // as it comes: nothing is left to paint here).
            UpdateWindow(GetDlgItem(dialog->Handle(), IDC_PREVIEW));
            const double end = bench::NowMs();
            split.key += keyDone - start;
            split.rest += end - keyDone;
            split.worstStep = std::max(split.worstStep, end - start);
            asked.push_back(dialog->Preview()->WantedUrl());
        }
        urls = asked;
        if (split.key + split.rest < bestSplit.key + bestSplit.rest)
            bestSplit = split;
    };
    // The warm-up tells the floors which pictures to fetch.
    open();
    step();

    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        std::fprintf(stderr, "PreviewBench: no imaging component\n");
        return 1;
    }
    std::vector<char> body;
    std::vector<BYTE> pixels;
    const auto getAndDecode = [&](bench::BareHttp& http, const std::wstring& url) {
        const std::wstring object = url.substr(url.find(L'/', url.find(L"://") + 3));
        return http.Get(object, L"", body) && BareDecode(factory, body, pixels);
    };

    // The floor: the bare GET and decode of the same pictures in the same
    // order, on a new connection every round, as every new list's loader
    // makes.
    std::unique_ptr<bench::BareHttp> bare;
    size_t decoded = 0;
    auto openBare = [&] {
        bare.reset();
        bare = std::make_unique<bench::BareHttp>(server);
    };
    auto bareFloor = [&] {
        decoded = 0;
        for (const std::wstring& url : urls)
            decoded += getAndDecode(*bare, url) ? 1 : 0;
    };

    // The second floor: under Wine a Down key repaints the rows it touches
    // and, once the list scrolls, the scroll bar, before it returns, with or
    // without a preview. This one steps through the same list too (the same
    // dialog and rows, the list as wide as beside the pane, the pane hidden,
    // so it asks for nothing), each step's messages and painting done, then
    // the bare GET and decode of that step's picture.
    RECT listBesidePane = {};
    GetWindowRect(dialog->List().Handle(), &listBesidePane);
    MapWindowPoints(nullptr, dialog->Handle(), reinterpret_cast<POINT*>(&listBesidePane), 2);
    std::unique_ptr<CPhotoInfoDlg> bareList;
    std::unique_ptr<bench::BareHttp> bareBesideList;
    auto openListFloor = [&] {
        bareList.reset();
        bareList = std::make_unique<CPhotoInfoDlg>(albums, true, settings);
        HWND window = bareList->Create(nullptr);
        CheckDlgButton(window, IDC_PREVIEW_SHOW, BST_UNCHECKED);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_SHOW, BN_CLICKED), 0);
        SetWindowPos(bareList->List().Handle(), nullptr, listBesidePane.left, listBesidePane.top,
                     listBesidePane.right - listBesidePane.left, listBesidePane.bottom - listBesidePane.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        bareBesideList.reset();
        bareBesideList = std::make_unique<bench::BareHttp>(server);
    };
    size_t decodedBesideList = 0;
    double listMs = 0, bestListMs = 0, bestListTotal = 1e300;
    auto listFloor = [&] {
        decodedBesideList = 0;
        listMs = 0;
        HWND list = bareList->List().Handle();
        const double start = bench::NowMs();
        for (size_t row = 0; row < urls.size(); ++row) {
            const double stepStart = bench::NowMs();
            Select(list, int(row));
            bench::PumpMessages(bareList->Handle());
            listMs += bench::NowMs() - stepStart;
            decodedBesideList += getAndDecode(*bareBesideList, urls[row]) ? 1 : 0;
        }
        const double total = bench::NowMs() - start;
        if (total < bestListTotal) {
            bestListTotal = total;
            bestListMs = listMs;
        }
    };
    // The platform's own list view alone, stepped with the same keys through
    // the same rows, each step's messages and painting done: under Wine a
    // key that scrolls costs it more than a picture over loopback.
    HWND rawHost = nullptr, rawList = nullptr;
    auto openRawList = [&] {
        if (rawHost)
            DestroyWindow(rawHost);
        rawList = RawCopyOfList(dialog->List().Handle(), rawHost);
    };
    auto rawListSteps = [&] {
        for (size_t row = 0; row < urls.size(); ++row) {
            Select(rawList, int(row));
            bench::PumpMessages();
        }
    };
    const std::vector<double> best = bench::BestOfEach(
        rounds, {{open, step}, {openBare, bareFloor}, {openListFloor, listFloor}, {openRawList, rawListSteps}});
    const bench::Pair times{best[0], best[1]};
    const uint64_t fetchesOfLastRound = dialog->Preview()->Fetches();
    const bool floorSteppedTheList = SendMessageW(bareList->List().Handle(), LVM_GETNEXTITEM, WPARAM(-1),
                                                  LVNI_FOCUSED | LVNI_SELECTED) == LRESULT(urls.size() - 1);
    bareList.reset();
    std::printf("# a step of the preview's fastest round: the key %.2f ms (the list's own work), then %.2f ms until "
                "the picture is painted; the slowest step %.1f ms\n",
                bestSplit.key / kSteps, bestSplit.rest / kSteps, bestSplit.worstStep);
    std::printf("# the bare GET and decode: %.2f ms a picture\n", times.floor / kSteps);
    std::printf("# against the floor that also steps the list (pane hidden; its list steps %.1f ms of %.1f ms): "
                "%.2f\n",
                bestListMs, best[2], times.ours / best[2]);
    DestroyWindow(rawHost);
    std::printf("# a raw list view of the same rows and columns stepped alone with the same keys: %.1f ms (%.2f ms a "
                "step); against it and the bare GET and decode one after the other: %.2f; against the longer of the "
                "two (what a step costs at best when the picture comes while the list repaints): %.2f\n",
                best[3], best[3] / kSteps, times.ours / (best[3] + times.floor),
                times.ours / std::max(best[3], times.floor));

    // Notes: where the time goes. The program's transport and decoder on
    // this thread, without the loader's thread and the window; and the
    // pane's drawing alone.
    WinHttpClient http;
    http.textReplies = false; // as the loader's
    CWicDecoder decoder;
    auto direct = [&] {
        for (const std::wstring& url : urls) {
            http.url = url;
            http.requestHeaders = source.HeadersFor(url) + L"Connection: Keep-Alive\r\n";
            std::unique_ptr<CDibImage> image;
            if (http.Send(L"GET"))
                decoder.Decode(http.ResponseBytes(), http.ResponseLength(), RGB(240, 240, 240), image,
                               dialog->Preview()->PictureBox());
        }
    };
    auto pictures = [&] {
        for (const std::wstring& url : urls)
            getAndDecode(*bare, url);
    };
    openBare();
    const bench::Pair transport = bench::BestOf(rounds, direct, pictures);
    std::printf("# transport and decoder on one thread: %.1f ms against the bare GET and decode's %.1f ms\n",
                transport.ours, transport.floor);
    // The decoding alone, of the same bytes: the program's (converted,
    // scaled with the Fant filter into the pane's room, into a DIB section)
    // against the bare conversion to 32-bit pixels.
    std::vector<std::vector<char>> bodies;
    for (const std::wstring& url : urls) {
        bare->Get(url.substr(url.find(L'/', url.find(L"://") + 3)), L"", body);
        bodies.push_back(body);
    }
    const SIZE room = dialog->Preview()->PictureBox();
    const bench::Pair decoding = bench::BestOf(
        rounds,
        [&] {
            for (const std::vector<char>& bytes : bodies) {
                std::unique_ptr<CDibImage> image;
                decoder.Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), RGB(240, 240, 240), image,
                               room);
            }
        },
        [&] {
            for (const std::vector<char>& bytes : bodies)
                BareDecode(factory, bytes, pixels);
        });
    std::printf("# decoding alone into a room of %ldx%ld: %.1f ms against the bare decode's %.1f ms\n", room.cx,
                room.cy, decoding.ours, decoding.floor);
    open();
    step();
    HWND pane = GetDlgItem(dialog->Handle(), IDC_PREVIEW);
    RECT rect = {};
    GetClientRect(pane, &rect);
    HDC dc = GetDC(pane);
    const double drawing = bench::TimeMs([&] {
        for (int i = 0; i < kSteps; ++i)
            dialog->Preview()->Render(dc, rect, nullptr);
    });
    ReleaseDC(pane, dc);
    std::printf("# the pane drawn %d times: %.1f ms\n", kSteps, drawing);
    // Stepping back up through pictures that are all kept: the list's own
    // share of a step with the pane shown, and the drawing.
    const int back = 60;
    const double cached = bench::TimeMs([&] {
        HWND list = dialog->List().Handle();
        for (int i = 0; i < back; ++i) {
            SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
            SendMessageW(list, WM_KEYUP, VK_UP, 0);
            bench::PumpUntil(dialog->Handle(), [&] { return dialog->Preview()->GetState() == CPhotoPreview::State::Shown; });
            UpdateWindow(GetDlgItem(dialog->Handle(), IDC_PREVIEW));
        }
    });
    std::printf("# %d steps back through kept pictures: %.1f ms (%.2f ms a step)\n", back, cached, cached / back);
    dialog.reset();
    factory->Release();
    if (failed || decoded != urls.size() || decodedBesideList != urls.size() || !floorSteppedTheList) {
        std::fprintf(stderr, "PreviewBench: a picture did not show (%zu and %zu of %zu decoded by the floors)\n",
                     decoded, decodedBesideList, urls.size());
        return 1;
    }
    std::printf("# pictures: %zu, e.g. %ls; fetches of the last round's list: %llu\n", urls.size(),
                urls.empty() ? L"" : urls[0].c_str(), static_cast<unsigned long long>(fetchesOfLastRound));
    std::printf("# ratio: %.2f (target 1.3)\n", times.ours / times.floor);
    bench::PrintRatio(8, "preview, 100 photos stepped through one at a time", times, "1.3");
    return 0;
}
