// Times the transport's text work on a reply of the size a large account
// gives (a 6 MB feed of 10,000 entries): the charset search over the
// headers, the brace-pattern search over the whole body (the transport's
// cut-short-page check scans for the two tags directly instead), the UTF-8
// conversion, and assembling a body in a growing buffer. Run: scripts/wine-run build build/bench/TransportBench.exe
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "http/CDataStorage.h"
#include "http/CPatternSearch.h"
#include "http/CUtf8Support.h"

namespace {

template <typename F>
double Milliseconds(int rounds, F work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / rounds;
}

std::wstring Feed(int entries)
{
    std::wstring text = L"<?xml version='1.0' encoding='UTF-8'?><feed xmlns='http://www.w3.org/2005/Atom'>";
    for (int i = 0; i < entries; ++i)
        text += L"<entry><title>Photo " + std::to_wstring(i) +
                L"</title><gphoto:id>5000000000000000000</gphoto:id><gphoto:width>3264</gphoto:width>"
                L"<gphoto:height>2448</gphoto:height><gphoto:size>2345678</gphoto:size>"
                L"<gphoto:timestamp>1259452800000</gphoto:timestamp><summary>A caption of some length "
                L"for the photo, as people write them.</summary><link rel='alternate' type='text/html' "
                L"href='http://localhost/demo/album#5000000000000000000'/><content type='image/jpeg' "
                L"src='http://localhost/media/d/p.jpg'/><media:group><media:content url='http://localhost/"
                L"media/d/p.jpg' medium='image'/></media:group></entry>";
    return text + L"</feed>";
}

} // namespace

int wmain()
{
    const std::wstring feed = Feed(10000);
    const std::wstring headers =
        L"HTTP/1.1 200 OK\r\nContent-Type: application/atom+xml; charset=UTF-8\r\nContent-Length: 6291456\r\n"
        L"Connection: Keep-Alive\r\nServer: stand-in\r\n\r\n";
    std::vector<std::wstring> results;

    std::printf("feed: %zu characters\n", feed.size());
    std::printf("charset search over the headers: %.4f ms\n", Milliseconds(2000, [&] {
                    FindAll(L"charset={[A-Za-z0-9\\-_]+}", false, 1, headers, results, false);
                }));
    std::printf("pattern search for <html> and </html> over the feed: %.1f ms\n", Milliseconds(5, [&] {
                    FindAll(L"{<html>}", false, 1, feed, results, false);
                    FindAll(L"{</html>}", false, 1, feed, results, false);
                }));
    std::printf("UTF-8 conversion of the feed: %.1f ms\n", Milliseconds(5, [&] {
                    CUtf8Support utf8;
                    utf8.ToUtf8(feed.c_str());
                }));
    std::printf("6 MB assembled in 1 KB pieces: %.1f ms\n", Milliseconds(5, [&] {
                    CDataStorage storage;
                    const std::string piece(1024, 'x');
                    for (int i = 0; i < 6144; ++i)
                        storage.Append(piece.data(), uint32_t(piece.size()));
                }));
    return 0;
}
