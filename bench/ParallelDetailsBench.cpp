// Times the photo details of an album of 200 photos over a slow link: the
// stand-in holds every reply back 50 ms, and LoadPhotos fetches the details
// over six connections at once against one after another.
//
//   ParallelDetailsBench --server BASE_URL [--rounds N] [--latency MS] [--connections N] [--item N]
//
// BASE_URL is a stand-in serving the large data (account "many"); its
// latency is back at 0 afterwards. Prints, in scripts/bench's table form,
//   ratio  <item, 7>  <what>  <six connections ms>  <one connection ms>  0.25
// where the ratio is the first time over the second, medians of the rounds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/ComApartment.h"
#include "bench/BenchSupport.h"
#include "service/PicasaClient.h"

namespace {

// The stand-in's reply latency, through its control endpoint.
bool SetLatency(const std::wstring& server, int ms)
{
    WinHttpClient control;
    const std::string body = "{\"latency_ms\": " + std::to_string(ms) + "}";
    control.url = server + L"/__control/settings";
    control.SetBody(body.data(), int32_t(body.size()));
    control.requestHeaders = L"Content-Length: " + std::to_wstring(body.size()) +
                             L"\r\nContent-Type: application/json\r\n";
    control.Send(L"POST");
    return control.StatusCode() == L"200";
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    if (server.empty()) {
        std::fprintf(stderr, "usage: ParallelDetailsBench --server BASE_URL [--rounds N] [--latency MS] "
                             "[--connections N] [--item N]\n");
        return 2;
    }
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 2);
    const int latency = bench::IntArg(argc, argv, L"--latency", 50);
    const int connections = bench::IntArg(argc, argv, L"--connections", kDefaultParallelRequests);
    const int item = bench::IntArg(argc, argv, L"--item", 7);
    ComApartment com;

    PicasaClient client(server, server);
    client.SetAcceptUntrustedCertificates(true);
    if (client.Login("many", "many", "ParallelDetailsBench") != 0 || !client.IsSignedIn()) {
        std::fprintf(stderr, "ParallelDetailsBench: sign-in to %ls failed (%ls); is it the large data?\n",
                     server.c_str(), client.GetLastStatus().c_str());
        return 1;
    }
    if (client.LoadAlbums() != 0) {
        std::fprintf(stderr, "ParallelDetailsBench: the album list did not load\n");
        return 1;
    }
    std::wstring albumId;
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == L"Many 0002")
            albumId = album.id;
    if (albumId.empty()) {
        std::fprintf(stderr, "ParallelDetailsBench: no album \"Many 0002\" of 200 photos\n");
        return 1;
    }

    if (!SetLatency(server, latency)) {
        std::fprintf(stderr, "ParallelDetailsBench: the stand-in did not take the latency\n");
        return 1;
    }
    // Each side's times; the side that goes first alternates.
    std::vector<double> times[2];
    size_t photos = 0;
    bool whole = true;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int side = (round + turn) % 2; // 0: several connections, 1: one
            client.SetParallelRequests(side == 0 ? connections : 1);
            const double start = bench::NowMs();
            DWORD result = 1;
            auto list = client.LoadPhotos(albumId, 0, &result);
            const double elapsed = bench::NowMs() - start;
            photos = list->size();
            for (const PhotoEntry& p : *list)
                whole = whole && p.viewCount >= 0;
            whole = whole && result == 0;
            times[side].push_back(elapsed);
        }
    }
    SetLatency(server, 0);
    const double median[2] = {bench::Median(times[0]), bench::Median(times[1])};
    if (!whole || photos != 200) {
        std::fprintf(stderr, "ParallelDetailsBench: %zu photos, details %s\n", photos,
                     whole ? "whole" : "missing");
        return 1;
    }

    std::printf("# photos: %zu, latency %d ms, rounds %d; ratio %.3f\n", photos, latency, rounds,
                median[0] / median[1]);
    char what[128];
    std::snprintf(what, sizeof what, "photo details, 200 photos at %d ms a reply, %d connections against 1", latency,
                  connections);
    std::printf("ratio\t%d\t%s\t%.1f\t%.1f\t0.25\n", item, what, median[0], median[1]);
    std::fflush(stdout);
    return 0;
}
