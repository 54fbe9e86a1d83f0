// The client's feed loads against the platform's floor, on the stand-in's
// `large` account:
//   1  LoadAlbums of 1,000 albums  vs  a bare keep-alive GET of the same URL
//      plus a bare MSXML 3 load of the same bytes; a note gives the cost of
//      an album there and of the 2,500 albums of many@example.com (3 pages)
//   2  LoadPhotos with details of the album of 1,000 photos (1,001 requests)
//      vs  a bare keep-alive loop over the same URLs with the same headers,
//      reading each body
// The details go over as many connections as the client is set to (its
// default); the ratio with one connection is printed as a note.
// Run by scripts/bench: FeedBench.exe --server http://localhost:P
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "service/PicasaClient.h"

namespace {

// Path and query of an absolute URL.
std::wstring ObjectOf(const std::wstring& url)
{
    wchar_t path[2048] = {};
    wchar_t extra[2048] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = ARRAYSIZE(path);
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = ARRAYSIZE(extra);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts))
        return L"";
    return std::wstring(path) + extra;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    if (server.empty()) {
        std::fprintf(stderr, "usage: FeedBench --server BASE_URL [--rounds N]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;

    int exitCode = 0;
    {
        PicasaClient client(server, server);
        if (client.Login("large@example.com", L"large", "bench") != ERROR_SUCCESS || !client.IsSignedIn()) {
            std::fprintf(stderr, "FeedBench: sign-in to %ls failed (%ls)\n", server.c_str(),
                         client.GetLastStatus().c_str());
            return 1;
        }
        bench::BareHttp http(server);

        // 1: the album list.
        if (client.LoadAlbums() != ERROR_SUCCESS) {
            std::fprintf(stderr, "FeedBench: the album list did not load\n");
            return 1;
        }
        const std::wstring userFeed = client.Transport().url;
        const std::wstring headers = client.Transport().requestHeaders;
        std::vector<char> body;
        // A load takes a tenth of a second, where a busy neighbour on the
        // machine weighs most: five times as many rounds as the others.
        const bench::Pair albums = bench::BestOf(
            rounds * 5, [&] { client.LoadAlbums(); },
            [&] {
                http.Get(ObjectOf(userFeed), headers, body);
                bench::BareXmlLoad(body);
            });
        std::printf("# albums: %zu, feed %zu bytes\n", client.GetAlbums().size(), body.size());
        bench::PrintRatio(1, "LoadAlbums, 1,000 albums", albums, "1.2");

        // The list's growth: the cost of an album at 1,000 albums in one
        // page and at 2,500 in three (the account many@example.com), timed
        // in the same rounds; linear when the two are alike.
        {
            PicasaClient many(server, server);
            if (many.Login("many@example.com", L"many", "bench") == ERROR_SUCCESS && many.LoadAlbums() == 0) {
                const size_t manyAlbums = many.GetAlbums().size();
                const size_t largeAlbums = client.GetAlbums().size();
                const std::vector<double> growth = bench::BestOfEach(
                    rounds, {{nullptr, [&] { client.LoadAlbums(); }}, {nullptr, [&] { many.LoadAlbums(); }}});
                std::printf("# LoadAlbums an album: %.1f us of %zu albums, %.1f us of %zu albums in pages "
                            "(%.2f times)\n",
                            growth[0] * 1000.0 / double(largeAlbums), largeAlbums,
                            growth[1] * 1000.0 / double(manyAlbums), manyAlbums,
                            (growth[1] / double(manyAlbums)) / (growth[0] / double(largeAlbums)));
            } else {
                std::printf("# LoadAlbums of many@example.com did not load\n");
            }
        }

        // 2: the album of 1,000 photos, with details.
        std::wstring albumId;
        for (const AlbumEntry& album : client.GetAlbums())
            if (album.numPhotos == 1000) {
                albumId = album.id;
                break;
            }
        if (albumId.empty()) {
            std::fprintf(stderr, "FeedBench: no album of 1,000 photos\n");
            return 1;
        }
        const std::wstring albumFeed = userFeed + L"/albumid/" + albumId;
        std::vector<std::wstring> objects = {ObjectOf(albumFeed)};
        const auto listed = client.LoadPhotos(albumId, 1);
        for (const PhotoEntry& photo : *listed)
            objects.push_back(ObjectOf(albumFeed + L"/photoid/" + photo.id + L"?kind=tag"));
        size_t photoCount = 0;
        const bench::Pair photos = bench::BestOf(
            rounds, [&] { photoCount = client.LoadPhotos(albumId, 0)->size(); },
            [&] {
                for (const std::wstring& object : objects)
                    http.Get(object, headers, body);
            });
        std::printf("# photos: %zu, requests %zu, details over %d connections\n", photoCount, objects.size(),
                    client.ParallelRequests());
        bench::PrintRatio(2, "LoadPhotos with details, 1,000 photos", photos, "1.25");

        // The same with the details one after another, as over one connection.
        const int parallel = client.ParallelRequests();
        client.SetParallelRequests(1);
        const bench::Pair oneByOne = bench::BestOf(
            rounds, [&] { client.LoadPhotos(albumId, 0); },
            [&] {
                for (const std::wstring& object : objects)
                    http.Get(object, headers, body);
            });
        client.SetParallelRequests(parallel);
        std::printf("# LoadPhotos with details one after another: %.1f ms / %.1f ms = %.2f\n", oneByOne.ours,
                    oneByOne.floor, oneByOne.ours / oneByOne.floor);
    }
    CoUninitialize();
    return exitCode;
}
