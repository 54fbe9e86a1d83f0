// Item 10: 50 files of 2 MB uploaded into a new album through the program's
// path (the checks, then one POST per file, read from disk and written in
// pieces), against a bare WinHTTP POST loop of the same bytes, from memory,
// over one keep-alive connection, to the same feed with the same headers.
// With --memory: the album window opened and its list loaded, its peak
// working set; then one 200 MB video uploaded through the same path on the
// window's thread, and the peak again (the target: at most 16 MB above).
//   UploadBench.exe --server BASE_URL [--rounds N] [--memory 1]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "service/PicasaClient.h"
#include "ui/albums/CToolDlg.h"
#include "ui/transfer/UploadRunner.h"

namespace {

constexpr int kFiles = 50;
constexpr DWORD kFileSize = 2u << 20;
constexpr uint64_t kLargeSize = 200ull << 20;
constexpr uint64_t kMemoryTarget = 16ull << 20;

std::wstring Folder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Bytes of file `n`, different from every other file's.
std::vector<char> FileBytes(int n, DWORD size)
{
    std::vector<char> bytes(size);
    uint32_t x = 0x9E3779B9u * uint32_t(n + 1);
    for (char& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = char(x);
    }
    return bytes;
}

bool WriteWhole(const std::wstring& path, const std::vector<char>& bytes, uint64_t times = 1)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (uint64_t i = 0; i < times && ok; ++i) {
        DWORD written = 0;
        ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    }
    CloseHandle(file);
    return ok;
}

const AlbumEntry* FindAlbum(PicasaClient& client, const std::wstring& title)
{
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == title)
            return &album;
    return nullptr;
}

// A new album of this run's own, so that no album fills up over many runs.
const AlbumEntry* NewAlbum(PicasaClient& client, const wchar_t* what)
{
    const std::wstring title = std::wstring(L"Upload bench ") + what + L" " + std::to_wstring(GetTickCount());
    if (client.CreateAlbum(title, L"", L"", L"private", 1262304000) != ERROR_SUCCESS ||
        client.LoadAlbums() != ERROR_SUCCESS)
        return nullptr;
    return FindAlbum(client, title);
}

int Memory(PicasaClient& client, const SettingsLocation& settings)
{
    const AlbumEntry* album = NewAlbum(client, L"memory");
    if (!album) {
        std::fprintf(stderr, "UploadBench: no album for the upload\n");
        return 1;
    }
    const AlbumEntry target = *album;
    // Written before anything is measured, a megabyte at a time.
    const std::wstring video = Folder(L"quillon-upload-bench") + L"\\large.mp4";
    if (!WriteWhole(video, FileBytes(99, 1u << 20), kLargeSize >> 20)) {
        std::fprintf(stderr, "UploadBench: cannot write %ls\n", video.c_str());
        return 1;
    }
    CToolDlg window(client, settings);
    HWND handle = window.Create(nullptr);
    ShowWindow(handle, SW_SHOW);
    if (!handle || !bench::PumpUntil(handle, [&] { return window.RowCount() > 0; })) {
        std::fprintf(stderr, "UploadBench: the album window did not fill\n");
        return 1;
    }
    UpdateWindow(handle);
    const SIZE_T windowPeak = bench::PeakWorkingSet();
    const UploadRun run = UploadIntoAlbum(client, target, {video}, [handle](const UploadProgress&) {
        bench::PumpMessages(handle);
        return true;
    });
    const SIZE_T uploadPeak = bench::PeakWorkingSet();
    DeleteFileW(video.c_str());
    if (run.Uploaded() != 1) {
        std::fprintf(stderr, "UploadBench: the 200 MB upload failed\n");
        return 1;
    }
    bench::PrintMemoryBytes("album window (upload row)", windowPeak);
    bench::PrintMemoryBytes("album window while uploading 200 MB", uploadPeak);
    const unsigned long long above = uploadPeak > windowPeak ? uploadPeak - windowPeak : 0;
    bench::PrintMemoryBytes("upload of 200 MB above the album window (target 16 MB)", above);
    std::printf("# upload of 200 MB: %.1f MB above the album window's peak, %s\n", above / 1048576.0,
                above <= kMemoryTarget ? "within the 16 MB" : "OVER the 16 MB");
    DestroyWindow(handle);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    const bool memory = bench::IntArg(argc, argv, L"--memory", 0) != 0;
    if (server.empty()) {
        std::fprintf(stderr, "usage: UploadBench --server BASE_URL [--rounds N] [--memory 1]\n");
        return 2;
    }
    // The log lines and the window's texts come from a language module.
    SettingsLocation settings;
    if (!bench::ReadyWindows("UploadBench", L"quillon-upload-bench.ini", settings))
        return 1;

    PicasaClient client(server, server);
    if (!bench::SignInAndLoadAlbums("UploadBench", client, "demo@example.com", L"demo"))
        return 1;
    if (memory)
        return Memory(client, settings);

    const std::wstring folder = Folder(L"quillon-upload-bench");
    std::vector<std::vector<char>> bytes;
    std::vector<std::wstring> paths;
    for (int n = 0; n < kFiles; ++n) {
        bytes.push_back(FileBytes(n, kFileSize));
        paths.push_back(folder + L"\\photo" + std::to_wstring(n) + L".jpg");
        if (!WriteWhole(paths.back(), bytes.back())) {
            std::fprintf(stderr, "UploadBench: cannot write %ls\n", paths.back().c_str());
            return 1;
        }
    }
    // Each side its own album: (1 + rounds) x 50 photos, under the album limit.
    const AlbumEntry* oursAlbum = NewAlbum(client, L"ours");
    const AlbumEntry ours = oursAlbum ? *oursAlbum : AlbumEntry();
    const AlbumEntry* floorAlbum = NewAlbum(client, L"floor");
    if (!oursAlbum || !floorAlbum) {
        std::fprintf(stderr, "UploadBench: no album for the uploads\n");
        return 1;
    }
    const std::wstring feed = client.AlbumFeedUrl(floorAlbum->id);
    const std::wstring object = feed.substr(feed.find(L'/', feed.find(L"//") + 2));
    const std::wstring auth = client.Access().HeadersFor(feed);

    bool failed = false;
    std::unique_ptr<bench::BareHttp> bare;
    const bench::Pair times = bench::BestOf(
        rounds, nullptr,
        [&] {
            if (UploadIntoAlbum(client, ours, paths, nullptr).Uploaded() != kFiles)
                failed = true;
        },
        // A new connection for every round, as the program's first upload makes.
        [&] { bare = std::make_unique<bench::BareHttp>(server); },
        [&] {
            for (int n = 0; n < kFiles; ++n) {
                const std::wstring headers = auth + L"Content-Type: image/jpeg\r\nSlug: photo" + std::to_wstring(n) +
                                             L".jpg\r\nConnection: Keep-Alive\r\n";
                if (!bare->Post(object, headers, bytes[n].data(), kFileSize))
                    failed = true;
            }
        });
    for (const std::wstring& p : paths)
        DeleteFileW(p.c_str());
    if (failed) {
        std::fprintf(stderr, "UploadBench: an upload failed\n");
        return 1;
    }
    bench::PrintRatio(10, "upload, 50 files of 2 MB", times, "1.25");
    return 0;
}
