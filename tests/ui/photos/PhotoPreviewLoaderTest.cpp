// The preview's loader against the stand-in's faults that would take all the
// memory or all the time there is: a picture that declares 30000 x 30000
// pixels, a reply without end, one announcing a gigabyte, and a picture that
// stalls while the photo list closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <memory>
#include <string>

#include "tests/service/StandIn.h"
#include "tests/support/WindowDriver.h"
#include "ui/photos/CPhotoPreviewLoader.h"

namespace {

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

class PreviewLoader : public ::testing::Test
{
protected:
    void SetUp() override { StandIn::Control("POST", "clear-faults"); }
    void TearDown() override { StandIn::Control("POST", "clear-faults"); }

    // A picture's address that no other test asks for, with `fault` armed on it.
    static std::string Picture(const std::string& name, const std::string& fault = "")
    {
        const std::string path = "/img" + TestEnv::UniquePath("/s288/" + name);
        if (!fault.empty())
            StandIn::Fault("{\"path\": \"" + path + "\", " + fault + "}");
        return path;
    }

    CPhotoPreviewLoader::Result Load(const std::string& path)
    {
        const CPhotoPreviewLoader::Job job = {StandIn::BaseW() + TestEnv::Widen(path), {300, 300}};
        loader->Request(job);
        CPhotoPreviewLoader::Result result;
        EXPECT_TRUE(WindowDriver::WaitUntil([&] { return loader->TakeResult(result); }, 60000)) << path;
        EXPECT_TRUE(result.job == job);
        return result;
    }

    // The stand-in's log entry of the request for `path`; `field` of it.
    static Json Logged(const std::string& path, const std::string& field)
    {
        for (const Json& r : StandIn::Requests())
            if (r["path"].string == path)
                return r[field];
        return Json();
    }

    // Bytes the stand-in sent for an endless reply, once it has ended.
    static long long Sent(const std::string& path)
    {
        EXPECT_TRUE(WindowDriver::WaitUntil([&] { return Logged(path, "sent").kind == Json::Kind::Number; }));
        return Logged(path, "sent").Int();
    }

    std::unique_ptr<CPhotoPreviewLoader> loader =
        std::make_unique<CPhotoPreviewLoader>(PreviewSource{StandIn::BaseW(), L"", false}, nullptr, RGB(9, 9, 9));
};

// A few bytes that declare 30000 x 30000 pixels took gigabytes decoded
// whole. The imaging component here decodes neither format scaled down, so
// both are refused, and the next picture shows.
TEST_F(PreviewLoader, APictureThatDeclaresAHugeSizeIsRefusedBeforeItTakesItsMemory)
{
    for (const std::string format : {"jpeg", "png"}) {
        const CPhotoPreviewLoader::Result result =
            Load(Picture("huge." + format, "\"status\": 200, \"picture\": {\"format\": \"" + format +
                                               "\", \"width\": 30000, \"height\": 30000}"));
        EXPECT_EQ(result.error, DWORD(ERROR_FILE_TOO_LARGE)) << format;
        EXPECT_FALSE(result.image);
    }
    EXPECT_TRUE(Load(Picture("plain.jpg")).image);
    EXPECT_LT(Memory().PeakWorkingSetSize, SIZE_T(512) << 20) << "30000 x 30000 pixels are 900 MB and more";
}

// A reply without end is read up to the ceiling and no further, and its
// room is given back; one announcing more is refused before its body.
TEST_F(PreviewLoader, AReplyWithoutEndOrAnnouncingTooMuchStopsAtTheCeilingAndGivesItsRoomBack)
{
    EXPECT_TRUE(Load(Picture("plain.jpg")).image); // the connection and the imaging component are there
    const SIZE_T before = Memory().PagefileUsage;
    // The stand-in stops at 256 MB: without a ceiling the loader takes it all.
    const std::string endless = Picture("endless.jpg", R"("action": "endless", "limit": 268435456)");
    EXPECT_NE(Load(endless).error, DWORD(ERROR_SUCCESS));
    const long long ceiling = CPhotoPreviewLoader::kLargestReply;
    EXPECT_GE(Sent(endless), ceiling);
    EXPECT_LT(Sent(endless), 2 * ceiling) << "read on past the ceiling";
    EXPECT_LT(Memory().PagefileUsage, before + (16u << 20)) << "the cut reply's room was kept";

    const std::string announced =
        Picture("announced.jpg", R"("action": "endless", "length": 1073741824, "limit": 268435456)");
    EXPECT_EQ(Load(announced).error, DWORD(ERROR_FILE_TOO_LARGE));
    EXPECT_LT(Sent(announced), ceiling) << "a body read although its length was refused";
    EXPECT_TRUE(Load(Picture("plain.jpg")).image);
}

// Closing the photo list while its picture stalls: the loader lets the fetch
// go instead of waiting for the server or the time-out.
TEST_F(PreviewLoader, ClosingWhileAPictureStallsDoesNotWaitForTheServer)
{
    const std::string stalled = Picture("stalled.jpg", R"("action": "hang", "delay": 5)");
    loader->Request({StandIn::BaseW() + TestEnv::Widen(stalled), {300, 300}});
    ASSERT_TRUE(WindowDriver::WaitUntil([&] { return Logged(stalled, "path").kind == Json::Kind::String; }));
    loader.reset();
    EXPECT_EQ(Logged(stalled, "status").kind, Json::Kind::Null) << "closing waited until the server let go";
}

} // namespace
