#include <gtest/gtest.h>

#include <windows.h>

#include "app/ServiceSettings.h"
#include "tests/support/TestEnv.h"

namespace {

class ServiceSettingsFile : public testing::Test
{
protected:
    void SetUp() override { path = TestEnv::ScratchFolder("service-settings") + L"\\quillon.ini"; }
    void Write(const wchar_t* key, const wchar_t* value)
    {
        WritePrivateProfileStringW(L"Service", key, value, path.c_str());
    }
    ServiceSettings Read() { return ReadServiceSettings(SettingsLocation::File(path)); }
    std::wstring path;
};

TEST_F(ServiceSettingsFile, NoFileGivesTheRealServicesAndVerifiedCertificates)
{
    const ServiceSettings s = Read();
    EXPECT_EQ(s.accountServer, L"https://www.google.com");
    EXPECT_EQ(s.photoServer, L"https://picasaweb.google.com");
    EXPECT_FALSE(s.acceptUntrustedCertificates);
}

TEST_F(ServiceSettingsFile, BaseUrlsAreTakenWithoutATrailingSlash)
{
    Write(L"AccountServer", L"http://localhost:8080/");
    Write(L"PhotoServer", L"https://photos.example:8443");
    const ServiceSettings s = Read();
    EXPECT_EQ(s.accountServer, L"http://localhost:8080");
    EXPECT_EQ(s.photoServer, L"https://photos.example:8443");
}

TEST_F(ServiceSettingsFile, EmptyValuesKeepTheDefaults)
{
    Write(L"AccountServer", L"");
    Write(L"PhotoServer", L"   ");
    const ServiceSettings s = Read();
    EXPECT_EQ(s.accountServer, L"https://www.google.com");
    EXPECT_EQ(s.photoServer, L"https://picasaweb.google.com");
}

TEST_F(ServiceSettingsFile, UntrustedCertificatesOnlyWithExactlyOne)
{
    for (const auto& [text, expected] : std::vector<std::pair<const wchar_t*, bool>>{
             {L"1", true}, {L" 1", true}, {L"2", false}, {L"yes", false}, {L"0", false}, {L"-1", false}}) {
        Write(L"AcceptUntrustedCertificates", text);
        EXPECT_EQ(Read().acceptUntrustedCertificates, expected) << TestEnv::Narrow(text);
    }
}

TEST_F(ServiceSettingsFile, ParallelRequestsFromOneToTheLimit)
{
    EXPECT_EQ(Read().parallelRequests, 6) << "no value";
    for (const auto& [text, expected] : std::vector<std::pair<const wchar_t*, int>>{
             {L"1", 1}, {L"6", 6}, {L"12", 12}, {L"16", 16}, {L"17", 16}, {L"1000", 16}, {L"0", 6}, {L"-3", 6},
             {L"many", 6}, {L"", 6}}) {
        Write(L"ParallelRequests", text);
        EXPECT_EQ(Read().parallelRequests, expected) << TestEnv::Narrow(text);
    }
}

} // namespace

TEST_F(ServiceSettingsFile, FirstRunWritesEveryKeyWithItsDefaultAndKeepsWhatIsThere)
{
    Write(L"PhotoServer", L"http://localhost:8080");
    ASSERT_TRUE(WriteMissingServiceSettings(SettingsLocation::File(path)));
    wchar_t value[200] = {};
    const struct
    {
        const wchar_t* key;
        const wchar_t* value;
    } expected[] = {
        {L"AccountServer", L"https://www.google.com"},
        {L"PhotoServer", L"http://localhost:8080"},
        {L"AcceptUntrustedCertificates", L"0"},
        {L"ParallelRequests", L"6"},
    };
    for (const auto& e : expected) {
        GetPrivateProfileStringW(L"Service", e.key, L"(missing)", value, 200, path.c_str());
        EXPECT_STREQ(value, e.value) << TestEnv::Narrow(e.key);
    }
    // An empty value is the user's: it stays empty.
    Write(L"AccountServer", L"");
    ASSERT_TRUE(WriteMissingServiceSettings(SettingsLocation::File(path)));
    GetPrivateProfileStringW(L"Service", L"AccountServer", L"(missing)", value, 200, path.c_str());
    EXPECT_STREQ(value, L"");
}

TEST_F(ServiceSettingsFile, WrittenSettingsReadBack)
{
    ServiceSettings s;
    s.accountServer = L"http://localhost:8080";
    s.photoServer = L"https://localhost:8443";
    s.acceptUntrustedCertificates = true;
    ASSERT_TRUE(WriteServiceSettings(SettingsLocation::File(path), s));
    const ServiceSettings back = Read();
    EXPECT_EQ(back.accountServer, s.accountServer);
    EXPECT_EQ(back.photoServer, s.photoServer);
    EXPECT_TRUE(back.acceptUntrustedCertificates);
    s.acceptUntrustedCertificates = false;
    ASSERT_TRUE(WriteServiceSettings(SettingsLocation::File(path), s));
    EXPECT_FALSE(Read().acceptUntrustedCertificates);
}

// A server is named once either address has a value (no file, blanks, a
// lone slash or the other keys name none).
TEST(ServiceServersNamed, EitherAddressWithAValueNamesAServer)
{
    const std::wstring path = TestEnv::ScratchFolder("service-servers-named") + L"\\quillon.ini";
    const struct {
        const wchar_t *account, *photo;
        bool named;
    } cases[] = {{nullptr, nullptr, false}, {L"", L"", false}, {L"  ", L"/", false},
                 {L"http://localhost:8080", nullptr, true}, {nullptr, L"https://example.com/", true}};
    for (const auto& c : cases) {
        DeleteFileW(path.c_str());
        WritePrivateProfileStringW(L"Service", L"ParallelRequests", L"4", path.c_str());
        for (const auto& [key, value] : {std::pair{L"AccountServer", c.account}, std::pair{L"PhotoServer", c.photo}})
            if (value)
                WritePrivateProfileStringW(L"Service", key, value, path.c_str());
        EXPECT_EQ(HasServiceServers(SettingsLocation::File(path)), c.named) << (c.account ? "account" : "photo");
    }
}
