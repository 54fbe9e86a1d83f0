// Item 11: a second run of a folder upload over a folder of 1,000 files that
// are all in the album already (`Album 0001` of the large data, 1,000
// photos): the time until the question shows (the folder listed, the
// album's photo list read and compared, the question dialog made and
// painted), against a bare keep-alive WinHTTP GET of the same photo feed and
// a bare listing of the folder. The run must find every file there, so that
// it would send none.
//   FolderUploadBench.exe --server BASE_URL [--rounds N]
#include <windows.h>
#include <objbase.h>
#include <winhttp.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "service/PicasaClient.h"
#include "ui/transfer/CFolderUploadDlg.h"
#include "ui/transfer/FolderUpload.h"

namespace {

std::wstring ObjectOf(const std::wstring& url)
{
    const size_t host = url.find(L"//");
    const size_t path = url.find(L'/', host == std::wstring::npos ? 0 : host + 2);
    return path == std::wstring::npos ? L"/" : url.substr(path);
}

// A file of `size` bytes without writing them: the comparison reads names
// and sizes only.
bool WriteSized(const std::wstring& path, uint64_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(size);
    const bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    if (server.empty()) {
        std::fprintf(stderr, "usage: FolderUploadBench --server BASE_URL [--rounds N]\n");
        return 2;
    }
    SettingsLocation settings;
    if (!bench::ReadyWindows("FolderUploadBench", L"quillon-folder-upload-bench.ini", settings))
        return 1;
    PicasaClient client(server, server);
    if (!bench::SignInAndLoadAlbums("FolderUploadBench", client, "large@example.com", L"large"))
        return 1;
    AlbumEntry album;
    for (const AlbumEntry& a : client.GetAlbums())
        if (a.numPhotos == 1000)
            album = a;
    if (album.id.empty()) {
        std::fprintf(stderr, "FolderUploadBench: no album of 1,000 photos\n");
        return 1;
    }

    // The folder as the first run left it: a file for every photo, by its
    // title and size.
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"quillon-folder-upload-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD loaded = 1;
    const auto photos = client.LoadPhotos(album.id, 1, &loaded);
    if (loaded != 0 || photos->size() != 1000) {
        std::fprintf(stderr, "FolderUploadBench: the album's photo list did not load\n");
        return 1;
    }
    for (const PhotoEntry& photo : *photos) {
        if (!WriteSized(folder + L"\\" + photo.title, uint64_t(photo.size))) {
            std::fprintf(stderr, "FolderUploadBench: cannot write %ls\n", photo.title.c_str());
            return 1;
        }
    }

    // The floor's request: the one the client makes, on a connection of its own.
    const std::wstring feed = client.AlbumFeedUrl(album.id);
    const std::wstring headers = client.Access().HeadersFor(feed) + L"Connection: Keep-Alive\r\n";
    bench::BareHttp http(server);
    std::vector<char> body;
    size_t listed = 0;

    FolderPreparation prepared;
    const bench::Pair times = bench::BestOf(
        rounds,
        [&] {
            prepared = PrepareFolderUpload(client, album.id, folder, nullptr);
            CFolderUploadDlg question(prepared.plan, folder);
            HWND window = question.Create(nullptr);
            ShowWindow(window, SW_SHOW);
            UpdateWindow(window);
            DestroyWindow(window);
        },
        [&] {
            http.Get(ObjectOf(feed), headers, body);
            WIN32_FIND_DATAW found;
            HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
            listed = 0;
            if (search != INVALID_HANDLE_VALUE) {
                do
                    ++listed;
                while (FindNextFileW(search, &found));
                FindClose(search);
            }
        });
    // Where the time goes, one piece after the other.
    {
        std::vector<FolderFile> files;
        const double list = bench::TimeMs([&] { ListUploadFolder(folder, files); });
        std::unique_ptr<std::vector<PhotoEntry>> again;
        const double load = bench::TimeMs([&] { again = client.LoadPhotos(album.id, 1); });
        FolderPlan plan;
        const double compare = bench::TimeMs([&] { plan = CompareFolderWithAlbum(files, *again); });
        const double question = bench::TimeMs([&] {
            CFolderUploadDlg dialog(plan, folder);
            HWND window = dialog.Create(nullptr);
            ShowWindow(window, SW_SHOW);
            UpdateWindow(window);
            DestroyWindow(window);
        });
        std::printf("# pieces: folder listed and sorted %.1f ms, photo list %.1f ms, compared %.1f ms, question "
                    "%.1f ms\n",
                    list, load, compare, question);
    }
    for (const PhotoEntry& photo : *photos)
        DeleteFileW((folder + L"\\" + photo.title).c_str());
    RemoveDirectoryW(folder.c_str());

    std::printf("# folder upload, second run: %zu files, %zu there, %zu new, %zu cannot; feed %zu bytes, %zu names "
                "listed\n",
                prepared.plan.files.size(), prepared.plan.there, prepared.plan.newFiles, prepared.plan.cannot,
                body.size(), listed);
    if (prepared.plan.there != 1000 || prepared.plan.newFiles != 0) {
        std::fprintf(stderr, "FolderUploadBench: the second run would send files\n");
        return 1;
    }
    bench::PrintRatio(11, "folder upload, second run over 1,000 files to the question", times, "1.5");
    return 0;
}
