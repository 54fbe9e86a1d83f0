// Item 9: a backup of the large data's Album 0001 (1,000 photos, about 3 GB
// of originals) into an empty folder, against a bare download of the same
// addresses over the same number of keep-alive WinHTTP connections, each
// body written to a file of its own. Both sides start every round with an
// empty folder of their own. Then a second backup into the full folder,
// which must cost its feed requests alone: their count is printed with the
// stand-in's count of every request it got.
//   BackupBench.exe --server BASE_URL [--rounds N]
// With --memory it instead backs the album up once and prints the peak
// working set.
//   BackupBench.exe --server BASE_URL --memory
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/ComApartment.h"
#include "bench/BenchSupport.h"
#include "service/PicasaClient.h"
#include "backup/BackupRun.h"

namespace {

// An empty folder at `path` (what was there goes).
bool EmptyFolder(const std::wstring& path)
{
    std::wstring from = path + L'\0'; // double-null ended
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && SHFileOperationW(&op) != 0)
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

// The floor: `connections` threads, each with one keep-alive WinHTTP
// session and connection, take the next address and write its body to a
// file named by its index, in pieces as large as the backup's.
bool BareDownload(const std::wstring& server, const std::vector<std::wstring>& paths, const std::wstring& folder,
                  int connections)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> whole{true};
    auto work = [&] {
        wchar_t host[260] = {};
        URL_COMPONENTS parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = ARRAYSIZE(host);
        WinHttpCrackUrl(server.c_str(), 0, 0, &parts);
        HINTERNET session = WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0);
        HINTERNET connection = WinHttpConnect(session, host, parts.nPort, 0);
        std::vector<char> piece(256 * 1024);
        for (size_t i; (i = next++) < paths.size();) {
            HINTERNET request = WinHttpOpenRequest(connection, L"GET", paths[i].c_str(), nullptr, WINHTTP_NO_REFERER,
                                                   WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
            bool ok = request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) &&
                      WinHttpReceiveResponse(request, nullptr);
            HANDLE file = CreateFileW((folder + L"\\" + std::to_wstring(i) + L".png").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            for (DWORD read = 0; ok && (ok = WinHttpReadData(request, piece.data(), DWORD(piece.size()), &read)) &&
                                 read > 0;) {
                DWORD written = 0;
                ok = WriteFile(file, piece.data(), read, &written, nullptr) && written == read;
            }
            CloseHandle(file);
            if (request)
                WinHttpCloseHandle(request);
            if (!ok)
                whole = false;
        }
        WinHttpCloseHandle(connection);
        WinHttpCloseHandle(session);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < connections; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    return whole;
}

// The stand-in's count of the requests it got since the last reset or
// clear; -1 when it cannot be read.
long long StandInRequests(const std::wstring& server, bool clear)
{
    WinHttpClient control;
    control.url = server + (clear ? L"/__control/clear-requests" : L"/__control/counters");
    if (!control.Send(clear ? L"POST" : L"GET") || control.StatusCode() != L"200")
        return -1;
    const std::wstring text = control.ResponseText();
    const size_t at = text.find(L"\"total\":");
    return clear ? 0 : at == std::wstring::npos ? -1 : _wtoi64(text.c_str() + at + 8);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    if (server.empty()) {
        std::fprintf(stderr, "usage: BackupBench --server BASE_URL [--rounds N] [--memory]\n");
        return 2;
    }
    bool memoryOnly = false;
    for (int i = 1; i < argc; ++i)
        memoryOnly = memoryOnly || std::wcscmp(argv[i], L"--memory") == 0;
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    ComApartment com;

    PicasaClient client(server, server);
    if (client.Login("large", "large", "BackupBench") != 0 || client.LoadAlbums() != 0) {
        std::fprintf(stderr, "BackupBench: sign-in or album list at %ls failed; is it the large data?\n",
                     server.c_str());
        return 1;
    }
    std::vector<AlbumEntry> albums;
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == L"Album 0001")
            albums.push_back(album);
    DWORD result = 1;
    auto photos = albums.empty() ? nullptr : client.LoadPhotos(albums[0].id, 1, &result, nullptr, true);
    if (!photos || result != 0) {
        std::fprintf(stderr, "BackupBench: no photo list of \"Album 0001\"\n");
        return 1;
    }
    // The floor fetches what the backup fetches: every media address, as a
    // path on the same server.
    std::vector<std::wstring> paths;
    uint64_t bytes = 0;
    for (const PhotoEntry& photo : *photos) {
        const size_t host = photo.mediaUrl.find(L"://");
        paths.push_back(photo.mediaUrl.substr(photo.mediaUrl.find(L'/', host + 3)));
        bytes += uint64_t(photo.size);
    }
    const int connections = client.ParallelRequests();

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"quillon-backup-bench";
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring ours = root + L"\\ours", floor = root + L"\\floor";

    bool whole = true;
    BackupSummary summary;
    auto backUp = [&] {
        BackupRun run(client, ours);
        summary = run.Run(albums, {});
        whole = whole && summary.downloaded == photos->size() && summary.failed == 0;
    };
    if (memoryOnly) {
        EmptyFolder(ours);
        backUp();
        bench::PrintMemory("backup of Album 0001, 1,000 photos");
        EmptyFolder(ours);
        RemoveDirectoryW(ours.c_str());
        return whole ? 0 : 1;
    }

    const bench::Pair times = bench::BestOf(
        rounds, [&] { whole = EmptyFolder(ours) && whole; }, backUp,
        [&] { whole = EmptyFolder(floor) && whole; },
        [&] { whole = BareDownload(server, paths, floor, connections) && whole; });
    if (!whole) {
        std::fprintf(stderr, "BackupBench: a download failed (%llu saved, %llu failed)\n",
                     (unsigned long long)summary.downloaded, (unsigned long long)summary.failed);
        return 1;
    }

    // Unchanged: nothing but the feed.
    StandInRequests(server, true);
    BackupRun again(client, ours);
    const double secondMs = bench::TimeMs([&] { summary = again.Run(albums, {}); });
    const long long seen = StandInRequests(server, false);
    std::printf("# %zu photos, %.1f MB, %d connections, rounds %d\n", photos->size(), double(bytes) / 1048576.0,
                connections, rounds);
    std::printf("# second, unchanged run: %llu feed requests, %lld requests in all at the stand-in, %llu kept, "
                "%llu fetched, %.1f ms\n",
                (unsigned long long)again.FeedRequests(), seen, (unsigned long long)summary.alreadyThere,
                (unsigned long long)summary.downloaded, secondMs);
    char what[160];
    std::snprintf(what, sizeof what, "backup of Album 0001, %zu photos (%.0f MB), %d connections", photos->size(),
                  double(bytes) / 1048576.0, connections);
    bench::PrintRatio(9, what, times, "1.25");
    EmptyFolder(ours);
    EmptyFolder(floor);
    RemoveDirectoryW(ours.c_str());
    RemoveDirectoryW(floor.c_str());
    return 0;
}
