// Times changing the caption of 200 photos over a slow link: the stand-in
// holds every reply back 50 ms; the photo commands send the changes side by
// side over the client's parallel connections, against a bare loop of the
// same 200 PATCH requests over one keep-alive connection.
//
//   PhotoChangeBench --server BASE_URL [--rounds N] [--latency MS] [--item N]
//
// BASE_URL is a stand-in serving the large data (account "many"); its
// latency is back at 0 afterwards. Prints, in scripts/bench's table form,
//   ratio  <item, 12>  <what>  <program ms>  <bare loop ms>  0.3
// where the ratio is the first time over the second, medians of the rounds.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/ComApartment.h"
#include "bench/BenchSupport.h"
#include "http/CUtf8Support.h"
#include "service/PhotoChangeBatch.h"
#include "service/PicasaClient.h"

namespace {

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
        std::fprintf(stderr, "usage: PhotoChangeBench --server BASE_URL [--rounds N] [--latency MS] [--item N]\n");
        return 2;
    }
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 2);
    const int latency = bench::IntArg(argc, argv, L"--latency", 50);
    const int item = bench::IntArg(argc, argv, L"--item", 12);
    ComApartment com;

    PicasaClient client(server, server);
    client.SetAcceptUntrustedCertificates(true);
    if (client.Login("many", "many", "PhotoChangeBench") != 0 || client.LoadAlbums() != 0) {
        std::fprintf(stderr, "PhotoChangeBench: sign-in or album list at %ls failed; is it the large data?\n",
                     server.c_str());
        return 1;
    }
    std::wstring albumId;
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == L"Many 0002")
            albumId = album.id;
    DWORD loaded = 1;
    auto photos = albumId.empty() ? nullptr : client.LoadPhotos(albumId, 1, &loaded);
    if (!photos || loaded != 0 || photos->size() != 200) {
        std::fprintf(stderr, "PhotoChangeBench: no album \"Many 0002\" of 200 photos\n");
        return 1;
    }
    if (!SetLatency(server, latency)) {
        std::fprintf(stderr, "PhotoChangeBench: the stand-in did not take the latency\n");
        return 1;
    }
    WinHttpClient bare;
    bare.acceptUntrustedCertificates = true;
    const std::wstring authorization = L"Authorization: GoogleLogin auth=" + client.Access().Token() + L"\r\n";
    std::vector<double> times[2];
    bool whole = true;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int side = (round + turn) % 2; // 0: the program, 1: the bare loop
            PhotoChanges caption;
            caption.summary = L"Caption " + std::to_wstring(round * 2 + turn);
            const double start = bench::NowMs();
            if (side == 0) {
                std::vector<PhotoChangeBatch::Request> requests;
                for (PhotoEntry& photo : *photos)
                    requests.push_back({&photo, caption, false});
                PhotoChangeBatch batch(client);
                for (const PhotoChangeBatch::Reply& reply : batch.Send(requests))
                    whole = whole && reply.result == 0;
            } else {
                CUtf8Support utf8;
                utf8.ToUtf8(PicasaClient::PhotoChangesXml(caption).c_str());
                const uint32_t length = utf8.Count() - 1;
                for (PhotoEntry& photo : *photos) {
                    bare.url = photo.editLink;
                    bare.ClearBody();
                    bare.SetBody(utf8.Data(), int32_t(length));
                    bare.requestHeaders = L"Content-Length: " + std::to_wstring(length) + L"\r\n" + authorization +
                                          L"Content-Type: application/xml\r\nIf-Match: *\r\nConnection: Keep-Alive\r\n";
                    bare.Send(L"PATCH");
                    whole = whole && bare.StatusCode() == L"200";
                }
            }
            times[side].push_back(bench::NowMs() - start);
            // The versions the bare loop left, for the program's If-Match
            // (not timed).
            if (side == 1) {
                photos = client.LoadPhotos(albumId, 1, &loaded);
                whole = whole && loaded == 0 && photos->size() == 200;
            }
        }
    }
    SetLatency(server, 0);
    if (!whole) {
        std::fprintf(stderr, "PhotoChangeBench: a change was refused\n");
        return 1;
    }
    const double median[2] = {bench::Median(times[0]), bench::Median(times[1])};
    std::printf("# photos: 200, latency %d ms, rounds %d, %d connections; ratio %.3f\n", latency, rounds,
                client.ParallelRequests(), median[0] / median[1]);
    char what[160];
    std::snprintf(what, sizeof what,
                  "caption of 200 photos at %d ms a reply, the program's parallel connections", latency);
    std::printf("ratio\t%d\t%s\t%.1f\t%.1f\t0.3\n", item, what, median[0], median[1]);
    std::fflush(stdout);
    return 0;
}
