// The preview's loader against pictures and servers that would take all the
// memory or all the time there is: a picture that declares 30000 x 30000
// pixels, a reply that does not end or announces a gigabyte, and a picture
// that stalls while the photo list closes. Each through the real loader and
// the stand-in's faults.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <string>

#include "tests/service/StandIn.h"
#include "tests/support/WindowDriver.h"
#include "ui/albums/CPhotoPreviewLoader.h"

namespace {

using TestEnv::Narrow;

constexpr SIZE kBox = {300, 300};

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

class PreviewLoader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in is not running";
        StandIn::Control("POST", "clear-faults");
        StandIn::ClearRequests();
    }
    void TearDown() override { StandIn::Control("POST", "clear-faults"); }

    // A picture's address on the stand-in that no other test asks for.
    static std::string PicturePath(const std::string& name)
    {
        return "/img" + TestEnv::UniquePath("/s288/" + name);
    }

    static CPhotoPreviewLoader::Job JobFor(const std::string& path)
    {
        return {StandIn::BaseW() + TestEnv::Widen(path), kBox};
    }

    // The result of `job`, fetched and decoded by `loader`.
    static CPhotoPreviewLoader::Result Load(CPhotoPreviewLoader& loader, const CPhotoPreviewLoader::Job& job)
    {
        CPhotoPreviewLoader::Result result;
        loader.Request(job);
        bool taken = false;
        EXPECT_TRUE(WindowDriver::WaitUntil([&] { return (taken = loader.TakeResult(result)); }, 60000));
        EXPECT_TRUE(taken && result.job == job);
        return result;
    }

    // The stand-in's log entry of the request for `path` (null when none).
    static Json Logged(const std::string& path)
    {
        for (const Json& r : StandIn::Requests())
            if (r["path"].string == path)
                return r;
        return Json();
    }

    // Bytes the stand-in sent for `path`'s endless reply, once it ended.
    static long long SentFor(const std::string& path)
    {
        long long sent = -1;
        EXPECT_TRUE(WindowDriver::WaitUntil([&] {
            const Json& n = Logged(path)["sent"];
            sent = n.kind == Json::Kind::Number ? n.Int() : -1;
            return sent >= 0;
        }, 60000)) << path;
        return sent;
    }

    // A plain picture comes after the fault: the loader goes on.
    static void ExpectAPlainPicture(CPhotoPreviewLoader& loader)
    {
        const CPhotoPreviewLoader::Result plain = Load(loader, JobFor(PicturePath("plain.jpg")));
        EXPECT_EQ(plain.error, DWORD(ERROR_SUCCESS));
        ASSERT_TRUE(plain.image);
        EXPECT_LE(plain.image->Width(), kBox.cx);
    }
};

// A few bytes that declare 30000 x 30000 pixels took gigabytes when they
// were decoded whole. The imaging component here cannot decode either
// format scaled down, so both are refused; the process never comes near
// the memory they declare.
TEST_F(PreviewLoader, APictureThatDeclaresAHugeSizeIsRefusedBeforeItTakesItsMemory)
{
    CPhotoPreviewLoader loader({StandIn::BaseW(), L"", false}, nullptr, RGB(240, 240, 240));
    for (const char* format : {"jpeg", "png"}) {
        SCOPED_TRACE(format);
        const std::string path = PicturePath(std::string("huge.") + format);
        StandIn::Fault("{\"path\": \"" + path + "\", \"count\": -1, \"status\": 200, \"picture\": "
                       "{\"format\": \"" + format + "\", \"width\": 30000, \"height\": 30000}}");
        const CPhotoPreviewLoader::Result result = Load(loader, JobFor(path));
        EXPECT_EQ(result.error, DWORD(ERROR_FILE_TOO_LARGE));
        EXPECT_FALSE(result.image);
        EXPECT_EQ(Logged(path)["status"].Int(), 200) << "the picture was fetched";
    }
    ExpectAPlainPicture(loader);
    EXPECT_LT(Memory().PeakWorkingSetSize, SIZE_T(512) << 20) << "30000 x 30000 pixels are 2.5 GB and more";
}

// A reply without a length that does not end is read up to the loader's
// ceiling and no further, and the room it took is given back; one that
// announces more than the ceiling is refused before its body is read.
TEST_F(PreviewLoader, AReplyWithoutEndOrAnnouncingTooMuchStopsAtTheCeilingAndGivesItsRoomBack)
{
    CPhotoPreviewLoader loader({StandIn::BaseW(), L"", false}, nullptr, RGB(240, 240, 240));
    ExpectAPlainPicture(loader); // the connection and the imaging component are there
    const SIZE_T before = Memory().PagefileUsage;

    // The stand-in stops at 256 MB; without a ceiling the loader would take
    // all of it as one picture.
    const std::string endless = PicturePath("endless.jpg");
    StandIn::Fault("{\"path\": \"" + endless + "\", \"action\": \"endless\", \"content_type\": \"image/jpeg\", "
                   "\"limit\": 268435456}");
    const CPhotoPreviewLoader::Result cut = Load(loader, JobFor(endless));
    EXPECT_NE(cut.error, DWORD(ERROR_SUCCESS));
    EXPECT_FALSE(cut.image);
    const long long ceiling = CPhotoPreviewLoader::kLargestReply;
    EXPECT_GE(SentFor(endless), ceiling) << "read up to the ceiling";
    EXPECT_LT(SentFor(endless), 2 * ceiling) << "and not on to the end";
    EXPECT_LT(Memory().PagefileUsage, before + (16u << 20)) << "the room of the cut reply was kept";

    const std::string announced = PicturePath("announced.jpg");
    StandIn::Fault("{\"path\": \"" + announced + "\", \"action\": \"endless\", \"content_type\": \"image/jpeg\", "
                   "\"length\": 1073741824, \"limit\": 268435456}");
    const CPhotoPreviewLoader::Result refused = Load(loader, JobFor(announced));
    EXPECT_EQ(refused.error, DWORD(ERROR_FILE_TOO_LARGE));
    EXPECT_LT(SentFor(announced), ceiling) << "the body was read although its length was refused";

    ExpectAPlainPicture(loader);
    EXPECT_LT(Memory().PeakWorkingSetSize, SIZE_T(512) << 20);
}

// The photo list closes while its picture stalls at the server: the loader
// lets the fetch go instead of waiting for the server (or its time-out).
TEST_F(PreviewLoader, ClosingWhileAPictureStallsDoesNotWaitForTheServer)
{
    const std::string stalled = PicturePath("stalled.jpg");
    StandIn::Fault("{\"path\": \"" + stalled + "\", \"action\": \"hang\", \"delay\": 5}");
    {
        CPhotoPreviewLoader loader({StandIn::BaseW(), L"", false}, nullptr, RGB(240, 240, 240));
        loader.Request(JobFor(stalled));
        ASSERT_TRUE(WindowDriver::WaitUntil([&] { return Logged(stalled).kind == Json::Kind::Object; }));
    } // closed here
    EXPECT_EQ(Logged(stalled)["status"].kind, Json::Kind::Null) << "the loader waited until the server let go";
    // What is left behind ends by itself and announces nothing.
    EXPECT_TRUE(WindowDriver::WaitUntil([&] { return Logged(stalled)["status"].string == "hang"; }));
}

} // namespace
