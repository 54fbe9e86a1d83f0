// Photo details over several connections give what one request after the
// other gives: the same records in the same order, the same -1 and
// placeholder values where details fail, the same statistics counts, status
// and log; on connections of their own that take the client's settings.
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const wchar_t kDetailsFailed[] = L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557";

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
    uint64_t requests = 0;
    uint64_t xmlLoads = 0;
    std::wstring lastStatus;
    std::wstring lastErrorBody;
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
        logPath = TestEnv::ScratchFolder("service_parallel") + L"\\quillon.log";
        log.Open(ClientTest::AsciiPath(logPath).c_str());
    }

    void TearDown() override { StandIn::Reset(); }

    static Json Album(const std::string& title)
    {
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        ADD_FAILURE() << "no album " << title;
        return Json();
    }

    // The photo ids of an album in feed order, read without details.
    static std::vector<std::string> PhotoIds(PicasaClient& client, const std::string& albumId)
    {
        std::vector<std::string> ids;
        DWORD result = 1;
        const auto photos = client.LoadPhotos(TestEnv::Widen(albumId), 1, &result);
        EXPECT_EQ(result, 0u) << TestEnv::Narrow(client.GetLastStatus()) << " "
                              << TestEnv::Narrow(client.GetLastErrorBody());
        for (const PhotoEntry& p : *photos)
            ids.push_back(TestEnv::Narrow(p.id));
        return ids;
    }

    Outcome Load(PicasaClient& client, const std::string& albumId)
    {
        Outcome out;
        const size_t lines = ClientTest::LogLines(logPath).size();
        const uint64_t requests = client.RequestCount();
        const uint64_t loads = client.XmlLoadCount();
        StandIn::ClearRequests();
        auto photos = client.LoadPhotos(TestEnv::Widen(albumId), 0, &out.result);
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

    CLogSupport log;
    std::wstring logPath;
};

} // namespace

TEST_F(ParallelDetails, SameRecordsOrderAndCountsAsOneAfterTheOtherWithFailuresInTheMiddle)
{
    PicasaClient client(StandIn::BaseW(), StandIn::BaseW());
    client.SetLog(&log);
    ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
    const std::string albumId = Album("\xe6\xa1\x9c 2009")["id"].string; // 桜 2009, 60 photos
    const std::vector<std::string> ids = PhotoIds(client, albumId);
    ASSERT_EQ(ids.size(), 60u);
    const std::string photoPath = "/data/feed/api/user/demo@example.com/albumid/" + albumId + "/photoid/";

    // Three ways for details to fail, at three places in the middle.
    const struct {
        size_t index;
        std::string fault;
    } failures[] = {
        {9, "\"status\": 200, \"body\": \"not a feed\""},
        {29, "\"status\": 500, \"body\": \"broken\""},
        {44, "\"action\": \"reset\", \"count\": -1"},
    };
    const int runs[] = {1, 6, 3, 16};
    std::vector<Outcome> outcomes;
    for (const int parallel : runs) {
        SCOPED_TRACE("parallel requests " + std::to_string(parallel));
        StandIn::Control("POST", "clear-faults");
        for (const auto& f : failures)
            StandIn::Fault("{\"path\": \"" + photoPath + ids[f.index] + "\", " + f.fault + "}");
        client.SetParallelRequests(parallel);
        outcomes.push_back(Load(client, albumId));
        const Outcome& o = outcomes.back();
        EXPECT_EQ(o.result, 0u);
        ASSERT_EQ(o.records.size(), 60u);
        EXPECT_EQ(o.requests, 61u) << "the list and one request per photo";
        if (parallel == 1)
            EXPECT_LE(o.detailConnections.size(), 4u) << "one connection, and a new one after each reset";
        else
            EXPECT_GE(o.detailConnections.size(), 2u) << "side by side";
    }

    // The photos themselves, read again one after the other, show where the
    // failures are.
    StandIn::Control("POST", "clear-faults");
    client.SetParallelRequests(1);
    auto photos = client.LoadPhotos(TestEnv::Widen(albumId), 0);
    auto plain = client.LoadPhotos(TestEnv::Widen(albumId), 1);
    ASSERT_EQ(photos->size(), 60u);
    for (size_t i = 0; i < 60; ++i) {
        bool failing = false;
        for (const auto& f : failures)
            failing = failing || f.index == i;
        const std::wstring& record = outcomes[0].records[i];
        if (failing) {
            PhotoEntry expected = (*plain)[i];
            expected.viewCount = -1;
            expected.commentCount = -1;
            expected.timestamp = kDetailsFailed;
            EXPECT_EQ(record, Describe(expected)) << "photo " << i + 1 << ": -1 and the placeholder";
        } else {
            EXPECT_EQ(record, Describe((*photos)[i])) << "photo " << i + 1;
        }
    }

    for (size_t run = 1; run < outcomes.size(); ++run) {
        SCOPED_TRACE("parallel requests " + std::to_string(runs[run]) + " against one at a time");
        const Outcome& one = outcomes[0];
        const Outcome& many = outcomes[run];
        EXPECT_EQ(many.records, one.records) << "same records in the same order";
        EXPECT_EQ(many.requests, one.requests);
        EXPECT_EQ(many.xmlLoads, one.xmlLoads);
        EXPECT_EQ(many.xmlLoads, 59u) << "the list and every reply that reached the parser";
        EXPECT_EQ(many.lastStatus, one.lastStatus);
        EXPECT_EQ(many.lastErrorBody, one.lastErrorBody);
        EXPECT_EQ(many.logLines, one.logLines);
    }
}

TEST_F(ParallelDetails, ConnectionsAreKeptAndTakeTheClientsCertificateChoiceAndTimeOuts)
{
    // Over HTTPS with the stand-in's own certificate: workers that did not
    // take the choice to accept it would get no details at all.
    PicasaClient client(TestEnv::ServerW("photo_https"), TestEnv::ServerW("photo_https"));
    client.Transport().acceptUntrustedCertificates = true;
    client.Transport().timeouts.receive = 1000;
    client.SetLog(&log);
    ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
    const std::string albumId = Album("New year")["id"].string; // 14 photos
    const std::vector<std::string> ids = PhotoIds(client, albumId);
    ASSERT_EQ(ids.size(), 14u);
    client.SetParallelRequests(4);

    std::set<std::string> connections;
    for (int round = 0; round < 2; ++round) {
        const Outcome o = Load(client, albumId);
        ASSERT_EQ(o.records.size(), 14u);
        for (const std::wstring& record : o.records)
            EXPECT_EQ(record.find(kDetailsFailed), std::wstring::npos) << TestEnv::Narrow(record);
        connections.insert(o.detailConnections.begin(), o.detailConnections.end());
    }
    EXPECT_GE(connections.size(), 2u);
    EXPECT_LE(connections.size(), 4u) << "the second load goes over the first one's connections";

    // A reply that never comes: the worker gives up after the client's
    // receive time-out (three tries of a second), not the default's half
    // minute each.
    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo@example.com/albumid/" + albumId + "/photoid/" + ids[5] +
                   "\", \"action\": \"hang\", \"delay\": 4, \"count\": -1}");
    const DWORD started = GetTickCount();
    const Outcome o = Load(client, albumId);
    EXPECT_LT(GetTickCount() - started, 20000u);
    ASSERT_EQ(o.records.size(), 14u);
    EXPECT_NE(o.records[5].find(kDetailsFailed), std::wstring::npos);
    EXPECT_EQ(o.records[6].find(kDetailsFailed), std::wstring::npos);
    StandIn::Control("POST", "clear-faults");
}
