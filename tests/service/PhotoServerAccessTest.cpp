#include <gtest/gtest.h>

#include "service/PhotoServerAccess.h"
#include "tests/support/TestEnv.h"

namespace {

using TestEnv::Narrow;

// Which address gets the token: only the photo server's own scheme, host and
// port, whoever built the address (the client, a feed's link, a picture's).
TEST(PhotoServerAccess, TheTokenGoesOnlyToThePhotoServersOrigin)
{
    const std::wstring line = L"Authorization: GoogleLogin auth=T\r\n";
    const struct {
        const wchar_t* url;
        const wchar_t* server;
        const wchar_t* token;
        bool sent;
    } cases[] = {
        {L"http://localhost:81/img/a.jpg", L"http://localhost:81", L"T", true},
        {L"http://LOCALHOST:81/img/a.jpg", L"http://localhost:81", L"T", true},
        {L"HTTP://localhost:81/data/feed/api/user/a", L"http://localhost:81", L"T", true},
        {L"http://localhost:81/img/a.jpg", L"http://localhost:81/", L"T", true},
        {L"http://localhost:81/img/a.jpg", L"  http://localhost:81// ", L"T", true},
        {L"http://h/a.jpg", L"http://h:80", L"T", true},
        {L"https://h:443/a.jpg", L"https://h", L"T", true},
        {L"http://127.0.0.1:81/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"http://localhost:82/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"https://localhost:81/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"http://localhost/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"https://h/a.jpg", L"http://h", L"T", false},
        {L"https://lh3.example/img/a.jpg", L"https://picasaweb.example", L"T", false},
        {L"https://picasaweb.example.evil/a.jpg", L"https://picasaweb.example", L"T", false},
        {L"https://evil.example/picasaweb.example/a.jpg", L"https://picasaweb.example", L"T", false},
        {L"https://picasaweb.example@evil.example/a.jpg", L"https://picasaweb.example", L"T", false},
        {L"https://evil.example/?next=https://picasaweb.example/", L"https://picasaweb.example", L"T", false},
        {L"ftp://localhost:81/a.jpg", L"http://localhost:81", L"T", false},
        {L"file://localhost/c:/a.jpg", L"http://localhost:81", L"T", false},
        {L"/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"localhost:81/img/a.jpg", L"http://localhost:81", L"T", false},
        {L"", L"http://localhost:81", L"T", false},
        {L"http://localhost:81/img/a.jpg", L"", L"T", false},
        {L"http://localhost:81/img/a.jpg", L"localhost:81", L"T", false},
        {L"http://localhost:81/img/a.jpg", L"http://localhost:81", L"", false},
    };
    for (const auto& c : cases) {
        const PhotoServerAccess access(c.server, c.token, false);
        EXPECT_EQ(access.HeadersFor(c.url), c.sent ? line : L"") << Narrow(c.url) << " / " << Narrow(c.server);
    }
}

TEST(PhotoServerAccess, AForgottenTokenGoesNowhere)
{
    PhotoServerAccess access(L"http://localhost:81", L"T", false);
    access.ForgetToken();
    EXPECT_FALSE(access.HasToken());
    EXPECT_EQ(access.HeadersFor(L"http://localhost:81/data/feed/api/user/a"), L"");
}

TEST(PhotoServerAccess, TidyDropsBlanksAroundAndTrailingSlashes)
{
    const struct {
        const wchar_t* address;
        const wchar_t* tidy;
    } cases[] = {
        {L"  http://localhost:8080/ ", L"http://localhost:8080"},
        {L"https://a//", L"https://a"},
        {L"https://a/ /", L"https://a"},
        {L"https://a/b/", L"https://a/b"},
        {L"   ", L""},
        {L"", L""},
        {L"/", L""},
        {L"http://a\t", L"http://a\t"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TidyServerAddress(c.address), c.tidy) << Narrow(c.address);
}

} // namespace
