// Photo details over several connections give what one request after the
// other gives: the same records in the same order, the same -1 and
// placeholder values where details fail, the same statistics counts, status
// and log; on connections of their own that take the client's settings.
#include "service/PhotoLoadProgress.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <thread>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using TestEnv::Narrow;
using TestEnv::Widen;

const wchar_t kDetailsFailed[] = L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557";
const std::string kAlbums = "/data/feed/api/user/demo@example.com/albumid/";

// Everything a photo record holds, as one comparable text.
std::wstring Describe(const PhotoEntry& p)
{
    wchar_t numbers[256];
    swprintf(numbers, 256, L"%d|%d|%d|%d|%d|%d|%d|%d|%d|%d|%d|%d|%g", p.sequence, p.width, p.height, p.size,
             p.viewCount, p.commentCount, p.starredTotal, p.mediaWidth, p.mediaHeight, p.uploadedVideoWidth,
             p.uploadedVideoHeight, p.uploadedVideoDuration, p.uploadedVideoFps);
    return numbers + (L"|" + p.title + L"|" + p.id + L"|" + p.summary + L"|" + p.alternateLink + L"|" + p.mediaUrl +
                      L"|" + p.mediaType + L"|" + p.uploadedVideoType + L"|" + p.timestamp);
}

// What one load left behind, to be compared between runs.
struct Outcome
{
    DWORD result = 1;
    std::vector<std::wstring> records;
    uint64_t requests = 0, xmlLoads = 0;
    std::wstring lastStatus, lastErrorBody;
    std::vector<std::string> logLines;
    std::set<std::string> detailConnections;
};

class ParallelDetails : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Reset();
        log.Open(ClientTest::AsciiPath(logPath).c_str());
    }

    void TearDown() override { StandIn::Reset(); }

    // Signs the client in and reads the photo ids of the demo album `title`
    // in feed order, without details; the album's id.
    std::string Open(PicasaClient& client, const std::string& title, std::vector<std::string>& ids)
    {
        client.SetLog(&log);
        EXPECT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        std::string albumId = "<no album " + title + ">";
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                albumId = album["id"].string;
        DWORD result = 1;
        const auto photos = client.LoadPhotos(Widen(albumId), 1, &result);
        for (const PhotoEntry& p : *photos)
            ids.push_back(Narrow(p.id));
        EXPECT_EQ(result, 0u) << Narrow(client.GetLastStatus()) << " " << Narrow(client.GetLastErrorBody());
        return albumId;
    }

    Outcome Load(PicasaClient& client, const std::string& albumId)
    {
        Outcome out;
        const size_t lines = ClientTest::LogLines(logPath).size();
        const uint64_t requests = client.RequestCount(), loads = client.XmlLoadCount();
        StandIn::ClearRequests();
        const auto photos = client.LoadPhotos(Widen(albumId), 0, &out.result);
        for (const PhotoEntry& p : *photos)
            out.records.push_back(Describe(p));
        out.requests = client.RequestCount() - requests;
        out.xmlLoads = client.XmlLoadCount() - loads;
        out.lastStatus = client.GetLastStatus();
        out.lastErrorBody = client.GetLastErrorBody();
        auto all = ClientTest::LogLines(logPath);
        out.logLines.assign(all.begin() + long(lines), all.end());
        for (const Json& r : StandIn::Requests()) {
            if (r["path"].string.find("/photoid/") == std::string::npos)
                continue;
            out.detailConnections.insert(r["conn"].string);
            EXPECT_EQ(r["query"].string, "kind=tag");
            EXPECT_EQ(StandIn::HeaderValue(r, "Authorization").rfind("GoogleLogin auth=", 0), 0u)
                << "every worker signs its requests";
            EXPECT_EQ(StandIn::HeaderValue(r, "Connection"), "Keep-Alive");
        }
        return out;
    }

    std::wstring logPath = TestEnv::ScratchFolder("service_parallel") + L"\\quillon.log";
    CLogSupport log;
};

} // namespace

TEST_F(ParallelDetails, SameRecordsOrderAndCountsAsOneAfterTheOtherWithFailuresInTheMiddle)
{
    PicasaClient client(StandIn::BaseW(), StandIn::BaseW());
    std::vector<std::string> ids;
    const std::string albumId = Open(client, "\xe6\xa1\x9c 2009", ids); // 桜 2009
    ASSERT_EQ(ids.size(), 60u);

    // Three ways for details to fail, at three places in the middle.
    const std::map<size_t, std::string> failures = {
        {9, "\"status\": 200, \"body\": \"not a feed\""},
        {29, "\"status\": 500, \"body\": \"broken\""},
        {44, "\"action\": \"reset\", \"count\": -1"},
    };
    std::vector<Outcome> outcomes;
    for (const int parallel : {1, 6, 3, 16}) {
        SCOPED_TRACE("parallel requests " + std::to_string(parallel));
        StandIn::Control("POST", "clear-faults");
        for (const auto& f : failures)
            StandIn::Fault("{\"path\": \"" + kAlbums + albumId + "/photoid/" + ids[f.first] + "\", " + f.second + "}");
        client.SetParallelRequests(parallel);
        outcomes.push_back(Load(client, albumId));
        const Outcome& o = outcomes.back();
        const Outcome& one = outcomes.front();
        EXPECT_EQ(o.result, 0u);
        ASSERT_EQ(o.records.size(), 60u);
        EXPECT_EQ(o.requests, 61u) << "the list and one request per photo";
        EXPECT_EQ(o.xmlLoads, 59u) << "the list and every reply that reached the parser";
        if (parallel == 1)
            EXPECT_LE(o.detailConnections.size(), 4u) << "one connection, and a new one after each reset";
        else
            EXPECT_GE(o.detailConnections.size(), 2u) << "side by side";
        EXPECT_EQ(o.records, one.records) << "same records in the same order";
        EXPECT_EQ(o.requests, one.requests);
        EXPECT_EQ(o.xmlLoads, one.xmlLoads);
        EXPECT_EQ(o.lastStatus, one.lastStatus);
        EXPECT_EQ(o.lastErrorBody, one.lastErrorBody);
        EXPECT_EQ(o.logLines, one.logLines);
    }

    // The photos themselves, read again one after the other, show where the
    // failures are: -1 and the placeholder there.
    StandIn::Control("POST", "clear-faults");
    client.SetParallelRequests(1);
    auto photos = client.LoadPhotos(Widen(albumId), 0);
    auto plain = client.LoadPhotos(Widen(albumId), 1);
    ASSERT_EQ(photos->size(), 60u);
    for (size_t i = 0; i < 60; ++i) {
        PhotoEntry expected = failures.count(i) ? (*plain)[i] : (*photos)[i];
        if (failures.count(i)) {
            expected.viewCount = expected.commentCount = -1;
            expected.timestamp = kDetailsFailed;
        }
        EXPECT_EQ(outcomes[0].records[i], Describe(expected)) << "photo " << i + 1;
    }
}

TEST_F(ParallelDetails, ConnectionsAreKeptAndTakeTheClientsCertificateChoiceAndTimeOuts)
{
    // Over HTTPS with the stand-in's own certificate: workers that did not
    // take the choice to accept it would get no details at all.
    PicasaClient client(TestEnv::ServerW("photo_https"), TestEnv::ServerW("photo_https"));
    client.SetAcceptUntrustedCertificates(true);
    client.Transport().timeouts.receive = 1000;
    std::vector<std::string> ids;
    const std::string albumId = Open(client, "New year", ids);
    ASSERT_EQ(ids.size(), 14u);
    client.SetParallelRequests(4);

    std::set<std::string> connections;
    for (int round = 0; round < 2; ++round) {
        const Outcome o = Load(client, albumId);
        ASSERT_EQ(o.records.size(), 14u);
        for (const std::wstring& record : o.records)
            EXPECT_EQ(record.find(kDetailsFailed), std::wstring::npos) << Narrow(record);
        connections.insert(o.detailConnections.begin(), o.detailConnections.end());
    }
    EXPECT_GE(connections.size(), 2u);
    EXPECT_LE(connections.size(), 4u) << "the second load goes over the first one's connections";

    // A reply that never comes: the worker gives up after the client's
    // receive time-out (three tries of a second), not the default's half
    // minute each: every try while the stand-in still keeps silent (40 s).
    const std::string hung = kAlbums + albumId + "/photoid/" + ids[5];
    StandIn::Fault("{\"path\": \"" + hung + "\", \"action\": \"hang\", \"delay\": 40, \"count\": -1}");
    const Outcome o = Load(client, albumId);
    EXPECT_EQ(StandIn::Unanswered(hung), 3u) << "given up before the stand-in let go";
    ASSERT_EQ(o.records.size(), 14u);
    EXPECT_NE(o.records[5].find(kDetailsFailed), std::wstring::npos);
    EXPECT_EQ(o.records[6].find(kDetailsFailed), std::wstring::npos);
    StandIn::Control("POST", "clear-faults");
}

namespace {

// Asks for a stop once the test says so.
class StopWhenAsked : public PhotoLoadProgress
{
public:
    std::atomic<bool> stop{false};
    void PhotosDone(uint32_t) override {}
    bool CancelRequested() override { return stop; }
};

} // namespace

// A stop from another thread while the details hang: the requests in flight
// are closed, no worker starts another one, and nothing is tried again.
TEST_F(ParallelDetails, AnAbortFromAnotherThreadStartsNoFurtherRequest)
{
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    std::vector<std::string> ids;
    const std::string albumId = Open(client, "Garden", ids);
    ASSERT_GT(ids.size(), 12u);
    client.Transport().timeouts.receive = 2000;
    StandIn::Fault("{\"path\": \"" + kAlbums + albumId + "/photoid/\", \"action\": \"hang\", \"delay\": 20, "
                   "\"count\": -1}");
    StandIn::ClearRequests();
    StopWhenAsked progress;
    std::thread stopper([&] {
        // Once the first requests hang at the stand-in.
        for (int i = 0; i < 500 && StandIn::Requests().size() < 2; ++i)
            Sleep(10);
        progress.stop = true;
        client.AbortRequests();
    });
    DWORD result = 0;
    client.LoadPhotos(Widen(albumId), 0, &result, &progress);
    // Before the stand-in let go of any of them (20 s): only the client's
    // own closing ends the wait (Wine ends a closed request's wait at the
    // receive time-out).
    const size_t unanswered = StandIn::Unanswered(kAlbums + albumId + "/photoid/");
    stopper.join();
    client.ResumeRequests();
    EXPECT_EQ(result, DWORD(ERROR_CANCELLED));
    size_t details = 0;
    for (const Json& r : StandIn::Requests())
        details += r["path"].string.find("/photoid/") != std::string::npos;
    EXPECT_LE(details, size_t(client.ParallelRequests())) << "only those in flight at the stop";
    EXPECT_EQ(unanswered, details) << "the load waited for the server";
    StandIn::Control("POST", "clear-faults");
    DWORD again = 1;
    EXPECT_EQ(client.LoadPhotos(Widen(albumId), 1, &again)->size(), ids.size()) << "requests go out again after";
    EXPECT_EQ(again, 0u);
}
