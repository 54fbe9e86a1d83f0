// The steps of LoadAlbums on the stand-in's `large` account (1,000 albums),
// each timed alone as the median of many rounds, to tell where row 1's time
// goes: the GET with its decoding to UTF-16, the parse, the walk over the
// entries, the field reads, the records and the release of the document.
// Not in scripts/bench's table; run by hand against a running stand-in:
//   AlbumStepsBench.exe --server http://localhost:P [--rounds N]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/Utf8Text.h"
#include "bench/BenchSupport.h"
#include "service/AlbumFeed.h"
#include "service/FeedDocument.h"
#include "service/FeedDocumentFactory.h"
#include "service/FeedNumbers.h"
#include "service/FeedTime.h"
#include "service/PicasaClient.h"

namespace {

double MedianOf(int rounds, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int round = 0; round <= rounds; ++round) {
        if (prepare)
            prepare();
        const double ms = bench::TimeMs(work);
        if (round > 0)
            times.push_back(ms);
    }
    return bench::Median(times);
}

void Print(const char* step, double ms, size_t albums)
{
    std::printf("# %-52s %8.2f ms  %6.2f us an album\n", step, ms, ms * 1000.0 / double(albums ? albums : 1));
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring server = bench::Arg(argc, argv, L"--server");
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 30);
    const std::wstring account = bench::Arg(argc, argv, L"--account").empty() ? L"large"
                                                                               : bench::Arg(argc, argv, L"--account");
    if (server.empty()) {
        std::fprintf(stderr, "usage: AlbumStepsBench --server BASE_URL [--rounds N] [--account large|many]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    {
        PicasaClient client(server, server);
        const std::string user = std::string(account.begin(), account.end());
        if (client.Login((user + "@example.com").c_str(), account.c_str(), "bench") != ERROR_SUCCESS || client.LoadAlbums() != 0) {
            std::fprintf(stderr, "AlbumStepsBench: sign-in or album list failed\n");
            return 1;
        }
        const size_t albums = client.GetAlbums().size();
        WinHttpClient& transport = client.Transport();

        // The whole load, for scale.
        Print("LoadAlbums", MedianOf(rounds, nullptr, [&] { client.LoadAlbums(); }), albums);
        FeedDocumentFactory factory;
        if (client.Transport().url.find(L"start-index") != std::wstring::npos) {
            std::printf("# (more than one page: the steps below time the last page)\n");
        }

        // LoadAlbums' steps one after another, as it takes them, with the
        // entries read as before the album record's newer fields (title, id,
        // sizes, access, counts, times, links), as today, and each newer
        // field alone; the readers take turns from round to round.
        const FeedTimeSettings times = CurrentFeedTimeSettings();
        auto child = [](const FeedNodes& children, const wchar_t* name) {
            std::wstring out;
            children.ChildText(name, out);
            return out;
        };
        auto earlierFields = [&](const FeedNodes& children, AlbumEntry& album) {
            album.title = child(children, L"title");
            album.id = child(children, L"gphoto:id");
            album.bytesUsed = FeedInt64(child(children, L"gphoto:bytesUsed"));
            album.access = child(children, L"gphoto:access");
            album.numPhotos = FeedInt32(child(children, L"gphoto:numphotos"));
            album.commentingEnabled = child(children, L"gphoto:commentingEnabled");
            album.commentCount = FeedInt32(child(children, L"gphoto:commentCount"));
            album.published = FeedTimeToLocal(child(children, L"published"), times);
            album.updated = FeedTimeToLocal(child(children, L"updated"), times);
            children.LinkHref(L"link", L"rel", L"edit", L"href", album.editLink);
            children.LinkHref(L"link", L"rel", L"alternate", L"href", album.alternateLink);
        };
        using Reader = std::function<void(const FeedDocument&, std::vector<AlbumEntry>&)>;
        struct Variant
        {
            const char* name;
            Reader read;
        };
        const std::vector<Variant> variants = {
            {"walk alone (the entries' children and names)",
             [&](const FeedDocument& d, std::vector<AlbumEntry>&) {
                 d.ForEachEntryNode([](IXMLDOMNode*, const FeedNodes&) {});
             }},
            {"the earlier fields",
             [&](const FeedDocument& d, std::vector<AlbumEntry>& records) {
                 d.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) {
                     AlbumEntry album;
                     earlierFields(children, album);
                     records.push_back(std::move(album));
                 });
             }},
            {"the earlier fields + summary, place, date",
             [&](const FeedDocument& d, std::vector<AlbumEntry>& records) {
                 d.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) {
                     AlbumEntry album;
                     earlierFields(children, album);
                     album.summary = child(children, L"summary");
                     album.location = child(children, L"gphoto:location");
                     album.timestamp = child(children, L"gphoto:timestamp");
                     records.push_back(std::move(album));
                 });
             }},
            {"the earlier fields + version (the entry's attributes)",
             [&](const FeedDocument& d, std::vector<AlbumEntry>& records) {
                 d.ForEachEntryNode([&](IXMLDOMNode* entry, const FeedNodes& children) {
                     AlbumEntry album;
                     earlierFields(children, album);
                     for (const FeedAttribute& attribute : FeedNodes::Attributes(entry))
                         if (attribute.name == L"gd:etag")
                             album.etag = attribute.text;
                     records.push_back(std::move(album));
                 });
             }},
            {"the walk + the nine earlier texts alone (no times, no links)",
             [&](const FeedDocument& d, std::vector<AlbumEntry>&) {
                 d.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) {
                     for (const wchar_t* name : {L"title", L"gphoto:id", L"gphoto:bytesUsed", L"gphoto:access",
                                                 L"gphoto:numphotos", L"gphoto:commentingEnabled",
                                                 L"gphoto:commentCount", L"published", L"updated"})
                         child(children, name);
                 });
             }},
            {"the walk + the two times converted (texts given)",
             [&](const FeedDocument& d, std::vector<AlbumEntry>&) {
                 d.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes&) {
                     FeedTimeToLocal(L"2008-03-01T10:11:12.000Z", times);
                     FeedTimeToLocal(L"2008-03-01T10:11:12.000Z", times);
                 });
             }},
            {"the walk + the two links",
             [&](const FeedDocument& d, std::vector<AlbumEntry>&) {
                 d.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) {
                     std::wstring out;
                     children.LinkHref(L"link", L"rel", L"edit", L"href", out);
                     children.LinkHref(L"link", L"rel", L"alternate", L"href", out);
                 });
             }},
            {"ReadAlbumEntries (every field, the set of ids)",
             [&](const FeedDocument& d, std::vector<AlbumEntry>& records) {
                 std::set<std::wstring> listed;
                 ReadAlbumEntries(d, times, listed, records);
             }},
        };
        {
            // What an entry's children are, as the walk meets them.
            FeedDocument document;
            uint32_t elapsed = 0;
            bool parsed = false;
            SysString text;
            text.Assign(transport.ResponseText());
            document.Create();
            document.Load(text, elapsed, parsed);
            bool first = true;
            document.ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) {
                if (!first)
                    return;
                first = false;
                size_t count = 0, texts = 0;
                children.ForEach([&](IXMLDOMNode*, BSTR name) {
                    ++count;
                    texts += name && name[0] == L'#';
                    return true;
                });
                std::printf("# an entry's children: %zu, of them text nodes: %zu\n", count, texts);
            });
        }
        enum Step { Get, Text, Load, Read, Rest, Release, Steps };
        static const char* const stepNames[Steps] = {"GET and decoding", "UTF-8 check (or system string)",
                                                     "Create and Load", "entries read", "quota, bounds, next link",
                                                     "release"};
        std::vector<std::vector<std::vector<double>>> times2(variants.size(),
                                                             std::vector<std::vector<double>>(Steps));
        std::vector<std::vector<double>> totals(variants.size());
        SysString source;
        for (int round = 0; round <= rounds; ++round) {
            for (size_t i = 0; i < variants.size(); ++i) {
                const size_t v = (i + size_t(round)) % variants.size();
                double at[Steps + 1];
                std::vector<AlbumEntry> records;
                at[Get] = bench::NowMs();
                transport.Send(L"GET");
                at[Text] = bench::NowMs();
                // As the client loads a reply: its bytes when they are plain
                // UTF-8 (the stand-in's are), a system string of its text
                // otherwise.
                const bool utf8 = FeedDocument::PlainUtf8(transport.ResponseBytes(), transport.ResponseLength());
                if (!utf8)
                    source.Assign(transport.ResponseText());
                at[Load] = bench::NowMs();
                auto document = std::make_unique<FeedDocument>();
                uint32_t elapsed = 0;
                bool parsed = false;
                document->Create();
                if (utf8)
                    document->LoadUtf8(transport.ResponseText(), transport.ResponseBytes(), transport.ResponseLength(),
                                       elapsed, parsed);
                else
                    document->Load(source, elapsed, parsed);
                at[Read] = bench::NowMs();
                variants[v].read(*document, records);
                at[Rest] = bench::NowMs();
                {
                    std::wstring out;
                    ReadQuota(*document);
                    document->DocumentText(L"openSearch:totalResults", out);
                    document->DocumentText(L"openSearch:itemsPerPage", out);
                    document->RootChildren().LinkHref(L"link", L"rel", L"next", L"href", out);
                }
                at[Release] = bench::NowMs();
                document.reset();
                records.clear();
                at[Steps] = bench::NowMs();
                if (round == 0)
                    continue;
                for (int s = 0; s < Steps; ++s)
                    times2[v][size_t(s)].push_back(at[s + 1] - at[s]);
                totals[v].push_back(at[Steps] - at[Get]);
            }
        }
        for (size_t v = 0; v < variants.size(); ++v) {
            std::printf("# %s:\n", variants[v].name);
            for (int s = 0; s < Steps; ++s)
                Print(stepNames[s], bench::Median(times2[v][size_t(s)]), albums);
            Print("all of them", bench::Median(totals[v]), albums);
        }
    }
    CoUninitialize();
    return 0;
}
