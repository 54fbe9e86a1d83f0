// The checks before an upload and the meaning of the service's answers.
#include "service/UploadRules.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(UploadRules, TypesComeFromTheExtensionInAnyCase)
{
    const struct
    {
        const wchar_t* name;
        const wchar_t* type;
    } cases[] = {
        {L"a.jpg", L"image/jpeg"},        {L"A.JPEG", L"image/jpeg"},     {L"b.Png", L"image/png"},
        {L"c.gif", L"image/gif"},         {L"d.bmp", L"image/bmp"},       {L"e.MP4", L"video/mp4"},
        {L"f.mov", L"video/quicktime"},   {L"g.avi", L"video/avi"},       {L"h.wmv", L"video/x-ms-wmv"},
        {L"i.mpg", L"video/mpeg"},        {L"j.3gp", L"video/3gpp"},      {L"k.txt", L""},
        {L"noextension", L""},            {L".jpg", L""},                 {L"C:\\x.y\\photo", L""},
        {L"C:\\dir.png\\z.gif", L"image/gif"}, {L"archive.jpg.zip", L""}, {L"\u5199\u771f.JPG", L"image/jpeg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UploadContentType(c.name), c.type) << TestEnv::Narrow(c.name);
    EXPECT_TRUE(IsVideoType(L"video/mp4"));
    EXPECT_FALSE(IsVideoType(L"image/png"));
}

TEST(UploadRules, ChecksNameTheFirstReasonAFileCannotGo)
{
    const uint64_t photo = kUploadPhotoLimit;
    const uint64_t video = kUploadVideoLimit;
    const struct
    {
        const wchar_t* name;
        bool readable;
        uint64_t size;
        UploadCheck check;
    } cases[] = {
        {L"a.jpg", true, 1, UploadCheck::Ok},
        {L"a.jpg", true, photo, UploadCheck::Ok},
        {L"a.jpg", true, photo + 1, UploadCheck::TooLarge},
        {L"a.mp4", true, photo + 1, UploadCheck::Ok},
        {L"a.mp4", true, video, UploadCheck::Ok},
        {L"a.mp4", true, video + 1, UploadCheck::TooLarge},
        {L"a.png", true, 0, UploadCheck::Empty},
        {L"a.png", false, 0, UploadCheck::Unreadable},
        {L"a.doc", true, 10, UploadCheck::UnknownType},
        {L"a.doc", false, 0, UploadCheck::UnknownType},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckUpload(c.name, c.readable, c.size), c.check)
            << TestEnv::Narrow(c.name) << " " << c.readable << " " << c.size;
}

TEST(UploadRules, FilesOnDiskAreOpenedForTheirSize)
{
    const std::wstring folder = TestEnv::ScratchFolder("UploadRules.Files");
    const std::wstring full = folder + L"\\full.gif";
    HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "GIF89a", 6, &written, nullptr);
    CloseHandle(h);
    const std::wstring empty = folder + L"\\empty.jpg";
    CloseHandle(CreateFileW(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    uint64_t size = 99;
    EXPECT_EQ(CheckUploadFile(full, &size), UploadCheck::Ok);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(CheckUploadFile(empty, &size), UploadCheck::Empty);
    EXPECT_EQ(CheckUploadFile(folder + L"\\missing.png", &size), UploadCheck::Unreadable);
    EXPECT_EQ(size, 0u);
    // A file another program holds without sharing cannot be read.
    HANDLE locked = CreateFileW(full.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CheckUploadFile(full), UploadCheck::Unreadable);
    CloseHandle(locked);
}

TEST(UploadRules, RepliesAreToldApart)
{
    const struct
    {
        const wchar_t* status;
        const wchar_t* text;
        UploadEnd end;
        bool stops;
    } cases[] = {
        {L"201", L"<entry/>", UploadEnd::Uploaded, false},
        {L"401", L"Token invalid", UploadEnd::SignedOut, true},
        {L"403", L"Quota exceeded: 1 of 1", UploadEnd::QuotaFull, true},
        {L"403", L"QUOTA", UploadEnd::QuotaFull, true},
        {L"403", L"Photo limit reached: 1000", UploadEnd::AlbumFull, true},
        {L"403", L"Not authorized", UploadEnd::NotOwner, true},
        {L"413", L"", UploadEnd::TooLarge, false},
        {L"400", L"Content type not supported", UploadEnd::TypeRefused, false},
        {L"500", L"", UploadEnd::OtherStatus, false},
        {L"200", L"", UploadEnd::OtherStatus, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyUploadReply(c.status, c.text), c.end) << TestEnv::Narrow(c.status);
        EXPECT_EQ(StopsTheRest(c.end), c.stops) << TestEnv::Narrow(c.status);
    }
    for (UploadEnd end : {UploadEnd::NotSent, UploadEnd::OutcomeUnknown, UploadEnd::Cancelled, UploadEnd::TooLarge})
        EXPECT_FALSE(StopsTheRest(end));
}

TEST(UploadRules, FileNamesAreTheLastPartOfAPath)
{
    EXPECT_EQ(UploadFileName(L"C:\\a\\b\\c.jpg"), L"c.jpg");
    EXPECT_EQ(UploadFileName(L"Z:/x/y.png"), L"y.png");
    EXPECT_EQ(UploadFileName(L"plain.gif"), L"plain.gif");
    EXPECT_EQ(UploadFileName(L"C:\\dir\\"), L"");
}

} // namespace
