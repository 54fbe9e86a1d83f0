#pragma once
// What the tests of the new album, photo list and URL dialogs share: the
// language of the test's parameter, a client signed in to the stand-in,
// message boxes as the test saw them, and the clipboard's two texts.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "base/CLogSupport.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/ui/controls/ListTestDialog.h"
#include "ui/controls/CClipboard.h"

namespace AlbumDialogTest {

using namespace DialogHarness;

// In the language module of the test's parameter ("en" or "ja"), with a
// folder and a settings file of the test's own.
class InLanguage : public ::testing::TestWithParam<const char*>
{
protected:
    SettingsLocation Settings() const { return SettingsLocation::File(ini); }

    ScopedLanguage language{GetParam()};
    std::wstring folder = TestEnv::ScratchFolder("album-dialogs");
    std::wstring ini = folder + L"\\quillon.ini";
};

// A client signed in to one of the stand-in's data sets, logging to the
// test's folder; the stand-in has its demo data back afterwards.
class SignedIn : public InLanguage
{
protected:
    SignedIn(std::string fixture, std::string user, std::wstring password)
        : m_fixture(std::move(fixture)), m_user(std::move(user)), m_password(std::move(password))
    {
    }

    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"" + m_fixture + "\"}");
        log.Open(logPath.c_str());
        client.SetLog(&log);
        ASSERT_EQ(client.Login(m_user.c_str(), m_password.c_str(), "t"), 0u);
        StandIn::ClearRequests();
    }

    void TearDown() override
    {
        client.SetLog(nullptr);
        StandIn::Reset();
    }

    // The requests of one kind ("album_create", "photo_feed", "user_feed")
    // since the sign-in.
    static std::vector<Json> Requests(const std::string& kind)
    {
        std::vector<Json> found;
        for (const Json& request : StandIn::Requests())
            if (request["kind"].string == kind)
                found.push_back(request);
        return found;
    }

    // The log's lines without their time prefix.
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        for (const std::string& line : ClientTest::LogLines(TestEnv::Widen(logPath)))
            lines.push_back(ClientTest::WithoutTime(line));
        return lines;
    }

    std::string logPath = TestEnv::Narrow(folder) + "\\quillon.log";
    CLogSupport log;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};

private:
    std::string m_fixture, m_user;
    std::wstring m_password;
};

// A click on a dialog's button, handled (with any box it opens) before this
// returns.
inline void Press(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Cancel, once the message under way is done.
inline void Cancel(HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Opens a dialog once for each way of ending it (`open` runs it and gives
// its result); each time the dialog is moved, and with `grow` made larger,
// before that way is taken. Every way ends it with IDCANCEL and saves the
// placement under `section`, and each opening comes back where the one
// before was left.
inline void EachWayEndsWhereItWasLeft(const std::vector<std::function<void(HWND)>>& ways,
                                      const std::function<INT_PTR()>& open, const wchar_t* section,
                                      const std::wstring& ini, bool grow)
{
    RECT left = {};
    for (size_t i = 0; i < ways.size(); ++i) {
        SCOPED_TRACE(i);
        RECT opened = {};
        ModalDriver driver;
        driver.Then([&](HWND dialog) {
            GetWindowRect(dialog, &opened);
            SetWindowPos(dialog, nullptr, 40 + 10 * int(i), 30, opened.right - opened.left + (grow ? 50 : 0),
                         opened.bottom - opened.top + (grow ? 40 : 0), SWP_NOZORDER);
            GetWindowRect(dialog, &left);
            ways[i](dialog);
        });
        const RECT previous = left;
        EXPECT_EQ(open(), IDCANCEL);
        EXPECT_TRUE(driver.Unexpected().empty());
        if (i > 0)
            EXPECT_TRUE(EqualRect(&opened, &previous)) << "opened where the last one was left";
        EXPECT_EQ(GetPrivateProfileIntW(section, L"rectLeft", -1, ini.c_str()), left.left);
        EXPECT_EQ(GetPrivateProfileIntW(section, L"rectRight", -1, ini.c_str()), left.right);
    }
}

// A message box as the test saw it.
struct Box
{
    std::wstring caption, text;
    HICON icon = nullptr;
    std::vector<int> buttons; // which of OK, Yes and No it has
};

// A driver step that notes the box and answers it with `button`.
inline ModalDriver::Step Answer(std::vector<Box>& boxes, int button = IDOK)
{
    return [&boxes, button](HWND window) {
        Box box{WindowText(window), MessageBoxText(window)};
        for (HWND child = nullptr; (child = FindWindowExW(window, child, L"Static", nullptr)) != nullptr;)
            if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                box.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        for (int id : {IDOK, IDYES, IDNO})
            if (GetDlgItem(window, id))
                box.buttons.push_back(id);
        boxes.push_back(box);
        PostMessageW(window, WM_COMMAND, button, 0);
    };
}

// The clipboard's plain text and "HTML Format" text.
struct Clipboard
{
    std::wstring text;
    std::string html;
    bool operator==(const Clipboard&) const = default;
};

inline Clipboard ReadClipboard()
{
    return {ListTest::ClipboardText(), ListTest::ClipboardBytes(CClipboard::HtmlFormat()).c_str()};
}

// Puts a text of the test's own on the clipboard, to see it replaced or kept.
inline bool PutOnClipboard(const std::wstring& text)
{
    ListTest::OpenedClipboard clipboard;
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = clipboard.IsOpen() && EmptyClipboard() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr;
    if (!block)
        return false;
    memcpy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
    if (SetClipboardData(CF_UNICODETEXT, block))
        return true;
    GlobalFree(block);
    return false;
}

// Albums for the URL list: markup in a title and in an address, an album
// without an address, and one that is never selected.
inline std::vector<AlbumEntry> UrlAlbums()
{
    return {{.title = L"Beach", .numPhotos = 9, .alternateLink = L"http://localhost/friend/Beach"},
            {.title = L"<b>Paris</b> & \"Rome\"",
             .numPhotos = 28,
             .alternateLink = L"http://localhost/demo/ParisRome?x=1&y=2\"><i>"},
            {.title = L"No page"},
            {.title = L"Not selected", .alternateLink = L"http://localhost/demo/NotSelected"}};
}

// The photo list's headers in column order (the photo id's before the web
// page's), and its columns of numbers: right-aligned, sorted as numbers.
inline constexpr UINT kPhotoHeaders[] = {5100, 5101, 5102, 5103, 5104, 5105, 5106,
                                         5107, 5108, 5109, 5110, 5112, 5111, 5113};
inline constexpr bool kPhotoNumbers[] = {false, false, false, true,  true,  true,  false,
                                         true,  true,  true,  false, false, false, false};

} // namespace AlbumDialogTest
