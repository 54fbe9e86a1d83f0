#include "app/CAppModule.h"
#include "app/CMultiLanguageSupport.h"
#include "app/ResourceText.h"
#include "base/Utf8Text.h"
#include "res/resource.h"
#include "QuillonVersion.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include <gtest/gtest.h>

using DialogHarness::ModulePath;
using DialogHarness::ProgramPath;

namespace {

class LanguageModules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnv::ScratchFolder("modules");
        settings = folder + L"\\quillon.ini";
        ASSERT_TRUE(CopyFileW(ModulePath("en").c_str(), (folder + L"\\resource_en.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(ModulePath("ja").c_str(), (folder + L"\\resource_ja.dll").c_str(), FALSE));
        // Matches the pattern but is no library; and a library-looking file
        // that does not match it.
        std::ofstream(std::filesystem::path(folder + L"\\resource_bad.dll")) << "this is not a library";
        ASSERT_TRUE(CopyFileW(ModulePath("en").c_str(), (folder + L"\\english.dll").c_str(), FALSE));
    }

    bool IsLoaded(const wchar_t* file) const { return GetModuleHandleW((folder + L"\\" + file).c_str()) != nullptr; }

    std::wstring folder;
    std::wstring settings;
};

} // namespace

TEST_F(LanguageModules, ListsTheTwoModulesAndSkipsAFileThatIsNoLibrary)
{
    CMultiLanguageSupport languages(settings.c_str(), -1, folder);
    languages.EnumerateModules();
    ASSERT_EQ(languages.ModuleCount(), 2u);
    std::set<std::wstring> names, paths;
    for (size_t i = 0; i < languages.ModuleCount(); ++i) {
        names.insert(languages.ModuleName(i));
        paths.insert(languages.ModulePath(i));
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"English", L"Japanese"}));
    EXPECT_EQ(paths, (std::set<std::wstring>{folder + L"\\resource_en.dll", folder + L"\\resource_ja.dll"}));
    // Enumeration loads nothing for good.
    EXPECT_FALSE(IsLoaded(L"resource_en.dll"));
    EXPECT_FALSE(IsLoaded(L"resource_ja.dll"));

    // Enumerating again starts from an empty list.
    languages.EnumerateModules();
    EXPECT_EQ(languages.ModuleCount(), 2u);
}

TEST_F(LanguageModules, FolderWithATrailingSeparatorGivesCleanPaths)
{
    CMultiLanguageSupport languages(settings.c_str(), -1, folder + L"\\");
    languages.EnumerateModules();
    ASSERT_EQ(languages.ModuleCount(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(languages.ModulePath(i).find(L"\\\\"), std::wstring::npos) << TestEnv::Narrow(languages.ModulePath(i));
}

TEST_F(LanguageModules, NamesAreCaseSensitive)
{
    std::ofstream(std::filesystem::path(settings)) << "[Generic]\r\nLanguage=english\r\n";
    CMultiLanguageSupport languages(settings.c_str(), -1, folder);
    const std::wstring name = languages.ReadLanguage(L"English");
    EXPECT_EQ(name, L"english");
    EXPECT_EQ(languages.LoadModule(name.c_str()), nullptr);
    EXPECT_EQ(languages.Module(), nullptr);
    EXPECT_FALSE(IsLoaded(L"resource_en.dll"));
}

TEST_F(LanguageModules, SwitchingLoadsTheNewModuleAndFreesTheOldOne)
{
    CMultiLanguageSupport languages(settings.c_str(), -1, folder);
    HMODULE english = languages.LoadModule(L"English");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(languages.Module(), english);
    EXPECT_TRUE(IsLoaded(L"resource_en.dll"));
    std::wstring name;
    ASSERT_TRUE(LoadResourceString(english, IDS_LANGUAGE_NAME, name));
    EXPECT_EQ(name, L"English");

    HMODULE japanese = languages.LoadModule(L"Japanese");
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(languages.Module(), japanese);
    EXPECT_TRUE(IsLoaded(L"resource_ja.dll"));
    EXPECT_FALSE(IsLoaded(L"resource_en.dll")) << "the English module stays loaded";
    ASSERT_TRUE(LoadResourceString(japanese, IDS_LANGUAGE_NAME, name));
    EXPECT_EQ(name, L"Japanese");

    // No match: the module held stays loaded and held.
    EXPECT_EQ(languages.LoadModule(L"Klingon"), nullptr);
    EXPECT_EQ(languages.Module(), japanese);
    EXPECT_TRUE(IsLoaded(L"resource_ja.dll"));

    // The same language again: loaded before the old reference is dropped,
    // so the module never leaves memory.
    EXPECT_EQ(languages.LoadModule(L"Japanese"), japanese);
    EXPECT_TRUE(IsLoaded(L"resource_ja.dll"));
    ASSERT_TRUE(LoadResourceString(japanese, IDS_LANGUAGE_NAME, name));
    EXPECT_EQ(name, L"Japanese");
}

TEST_F(LanguageModules, OfTwoModulesWithTheSameNameTheFirstListedIsHeldAndTheOtherLeftUnloaded)
{
    ASSERT_TRUE(CopyFileW(ModulePath("en").c_str(), (folder + L"\\resource_en2.dll").c_str(), FALSE));
    CMultiLanguageSupport languages(settings.c_str(), -1, folder);
    HMODULE english = languages.LoadModule(L"English");
    ASSERT_NE(english, nullptr);
    std::wstring first, second;
    for (size_t i = 0; i < languages.ModuleCount(); ++i) {
        if (languages.ModuleName(i) == L"English")
            (first.empty() ? first : second) = languages.ModulePath(i);
    }
    ASSERT_FALSE(second.empty()) << "both copies are listed";
    EXPECT_EQ(english, GetModuleHandleW(first.c_str()));
    EXPECT_EQ(GetModuleHandleW(second.c_str()), nullptr);
    EXPECT_FALSE(IsLoaded(L"resource_ja.dll"));
}

TEST_F(LanguageModules, DestructionFreesTheHeldModule)
{
    {
        CMultiLanguageSupport languages(settings.c_str(), -1, folder);
        ASSERT_NE(languages.LoadModule(L"English"), nullptr);
        EXPECT_TRUE(IsLoaded(L"resource_en.dll"));
    }
    EXPECT_FALSE(IsLoaded(L"resource_en.dll"));
}

TEST_F(LanguageModules, ModulesBesideTheProgramByDefault)
{
    CMultiLanguageSupport languages(settings.c_str(), -1);
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring expected = program;
    expected.resize(expected.rfind(L'\\'));
    EXPECT_EQ(languages.ModuleFolder(), expected);
}

// ---------------------------------------------------------------------------
// Resource strings and the version record
// ---------------------------------------------------------------------------
TEST(ResourceText, StringsLongerThan255CharactersLoadWhole)
{
    for (const char* language : {"en", "ja"}) {
        DialogHarness::ScopedLanguage scope(language);
        ASSERT_NE(scope.Module(), nullptr) << language;
        std::wstring text;
        ASSERT_TRUE(LoadResourceString(IDS_LOGIN_HELP, text)) << language;
        EXPECT_GT(text.size(), 255u) << language;
        // The whole text, up to its last sentence.
        const std::wstring ending = std::string(language) == "en" ? L"switches the language of these windows."
                                                                  : L"詳しい記録はログファイルに残ります。";
        ASSERT_GE(text.size(), ending.size());
        EXPECT_EQ(text.substr(text.size() - ending.size()), ending) << language;
    }
}

TEST(ResourceText, MissingStringLeavesTheTextAlone)
{
    DialogHarness::ScopedLanguage scope("en");
    std::wstring text = L"unchanged";
    EXPECT_FALSE(LoadResourceString(4999, text));
    EXPECT_EQ(text, L"unchanged");
    EXPECT_EQ(ResourceString(4999), L"");
    EXPECT_TRUE(LoadResourceString(IDS_LANGUAGE_NAME, text));
    EXPECT_EQ(text, L"English");
}

TEST(ResourceText, JapaneseTextsSurviveTheResourceCompiler)
{
    DialogHarness::ScopedLanguage scope("ja");
    EXPECT_EQ(ResourceString(IDS_CAPTION_SIGN_IN_FAILED), L"サインインできませんでした");
    EXPECT_EQ(ResourceString(IDS_LOG_FILE_LABEL), L"ログファイル: ");
}

TEST(ResourceText, EveryModuleHasEachSignInMessage)
{
    DialogHarness::ScopedLanguage english("en");
    std::set<std::wstring> texts;
    for (UINT id = IDS_LOGIN_ERROR_FIRST; id <= IDS_LOGIN_ERROR_INTERNAL; ++id) {
        const std::wstring en = english.String(id);
        EXPECT_FALSE(en.empty()) << id;
        texts.insert(en);
    }
    EXPECT_EQ(texts.size(), 10u) << "each error class has its own message";

    DialogHarness::ScopedLanguage japanese("ja");
    for (UINT id = IDS_LOGIN_ERROR_FIRST; id <= IDS_LOGIN_ERROR_INTERNAL; ++id) {
        const std::wstring ja = japanese.String(id);
        EXPECT_FALSE(ja.empty()) << id;
        EXPECT_NE(ja, english.String(id)) << id;
    }
    for (UINT id : {IDS_VERSION_SUFFIX, IDS_LOG_FILE_LABEL, IDS_CAPTION_EMPTY_LIST, IDS_CAPTION_NO_SELECTION,
                    IDS_CAPTION_REQUEST_FAILED, IDS_CAPTION_SIGN_IN_FAILED}) {
        EXPECT_FALSE(english.String(id).empty()) << id;
        EXPECT_FALSE(japanese.String(id).empty()) << id;
    }
}

TEST(ResourceText, ProgramVersionRecord)
{
    std::wstring version = L"stale";
    ASSERT_TRUE(FileVersionText(L"FileVersion", version, ProgramPath().c_str()));
    EXPECT_EQ(version, WideFromUtf8(QUILLON_VERSION_TEXT));
    std::wstring product;
    EXPECT_TRUE(FileVersionText(L"ProductName", product, ProgramPath().c_str()));
    EXPECT_EQ(product, L"Quillon");

    std::wstring missing = L"stale";
    EXPECT_FALSE(FileVersionText(L"NoSuchValue", missing, ProgramPath().c_str()));
    EXPECT_EQ(missing, L"");
    // A file without a version record at all.
    missing = L"stale";
    EXPECT_FALSE(FileVersionText(L"FileVersion", missing, ModulePath("en").c_str()));
    EXPECT_EQ(missing, L"");
}

// The project's one version number reaches the numeric version record and
// the manifest of the program as well as its "FileVersion" text.
TEST(ResourceText, ProgramVersionEverywhereFromTheProject)
{
    HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))),
                         SizeofResource(program, found));
    FreeLibrary(program);
    EXPECT_NE(manifest.find(std::string("version=\"") + QUILLON_VERSION_TEXT + "\" processorArchitecture"),
              std::string::npos) << manifest;

    DWORD ignored = 0;
    std::vector<BYTE> record(GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored));
    ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    char numbers[64];
    snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
             fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
    EXPECT_STREQ(numbers, QUILLON_VERSION_TEXT);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
}

TEST(ResourceText, VersionLineEndsWithTheModulesSuffix)
{
    DialogHarness::ScopedLanguage scope("ja");
    EXPECT_EQ(VersionLine(L"0.0.0.19"), L"Ver. 0.0.0.19 コミュニティ版");
}

TEST(AppModule, ResourceModuleIsExchangedAndFallsBackToTheProgram)
{
    HINSTANCE before = CAppModule::SetResourceInstance(nullptr);
    EXPECT_EQ(CAppModule::ResourceInstance(), CAppModule::Instance());
    EXPECT_EQ(CAppModule::Instance(), GetModuleHandleW(nullptr));

    HMODULE english = LoadLibraryW(ModulePath("en").c_str());
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(CAppModule::SetResourceInstance(english), nullptr);
    EXPECT_EQ(CAppModule::ResourceInstance(), english);
    EXPECT_EQ(ResourceString(IDS_LANGUAGE_NAME), L"English");
    EXPECT_EQ(CAppModule::SetResourceInstance(before), english);
    FreeLibrary(english);
}
