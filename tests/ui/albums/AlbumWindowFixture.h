#pragma once
// What the album window's tests share: the language of the test's parameter,
// a client of the stand-in logging to the test's own folder, the window on a
// settings file of the test's own, and its rows by title.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "base/CLogSupport.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/albums/CToolDlg.h"

class AlbumWindowFixture : public ::testing::TestWithParam<const char*>
{
protected:
    // `scratch`: the name of the test's folder under the scratch area;
    // `data`: the stand-in's fixture the test starts from.
    explicit AlbumWindowFixture(const char* scratch, const char* data = "demo") : scratch_(scratch), data_(data) {}

    void SetUp() override
    {
        StandIn::Control("POST", "reset", std::string("{\"fixture\": \"") + data_ + "\"}");
        folder = TestEnv::ScratchFolder(scratch_);
        ini = folder + L"\\quillon.ini";
        logPath = TestEnv::Narrow(folder) + "\\quillon.log";
        log.Open(logPath.c_str());
        client = std::make_unique<PicasaClient>(StandIn::BaseW(), StandIn::BaseW());
        client->SetLog(&log);
    }
    void TearDown() override
    {
        window.reset();
        log.Close();
    }

    void SignIn() { ASSERT_EQ(client->Login("demo@example.com", L"demo", "QUILLON test"), 0u); }
    HWND Open()
    {
        window = std::make_unique<CToolDlg>(*client, SettingsLocation::File(ini));
        HWND handle = window->Create(nullptr);
        EXPECT_NE(handle, nullptr);
        return handle;
    }
    void Command(int id, int code = BN_CLICKED)
    {
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(id, code), LPARAM(window->Item(id)));
    }
    int RowOf(const std::wstring& title)
    {
        for (int row = 0; row < window->RowCount(); ++row)
            if (window->List().CellText(row, 0) == title)
                return row;
        return -1;
    }
    // The number of photos of the album of this title, as the client has it.
    int PhotosOf(const std::wstring& title)
    {
        for (const AlbumEntry& album : client->GetAlbums())
            if (album.title == title)
                return album.numPhotos;
        return -1;
    }
    // Adds the rows of these titles to the selection.
    void Select(std::initializer_list<const wchar_t*> titles)
    {
        for (const wchar_t* title : titles)
            window->SelectRow(RowOf(title), true);
    }
    void SelectAll()
    {
        for (int row = 0; row < window->RowCount(); ++row)
            window->SelectRow(row, true);
    }
    // Selects the rows of these titles and no others.
    void SelectOnly(std::initializer_list<const wchar_t*> titles)
    {
        for (int row = 0; row < window->RowCount(); ++row)
            window->SelectRow(row, false);
        Select(titles);
    }
    std::set<std::wstring> SelectedTitles()
    {
        std::set<std::wstring> titles;
        for (int row = 0; row < window->RowCount(); ++row)
            if (window->IsRowSelected(row))
                titles.insert(window->List().CellText(row, 0));
        return titles;
    }
    // Takes each step with the one message box it brings up answered OK;
    // gives "caption|text" of each box. No other window may open.
    std::vector<std::wstring> AnsweredBoxes(std::initializer_list<std::function<void()>> steps)
    {
        DialogHarness::ModalDriver driver;
        driver.Ignore(window->Handle());
        std::vector<std::wstring> seen;
        for (const auto& step : steps) {
            driver.Then([&seen](HWND box) {
                seen.push_back(DialogHarness::WindowText(box) + L"|" + DialogHarness::MessageBoxText(box));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
            step();
        }
        DialogHarness::PumpMessages(window->Handle());
        EXPECT_TRUE(driver.Unexpected().empty());
        return seen;
    }
    std::string LogText() { return TestEnv::ReadBytes(TestEnv::Widen(logPath)); }
    static size_t CountRequests(const std::string& method) { return StandIn::RequestsWith(method).size(); }

    DialogHarness::ScopedLanguage language{GetParam()};
    std::wstring folder, ini;
    std::string logPath;
    CLogSupport log;
    std::unique_ptr<PicasaClient> client;
    std::unique_ptr<CToolDlg> window;

private:
    const char* scratch_;
    const char* data_;
};
