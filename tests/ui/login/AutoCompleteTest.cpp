#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/controls/CDialogBase.h"
#include "ui/login/CCustomAutoComplete.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

// Holds one reference for the test, as the login dialog does.
class AutoCompleteList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        live = CCustomAutoComplete::LiveCount();
        list = new CCustomAutoComplete();
        list->AddRef();
        for (const wchar_t* name : {L"amy", L"bob", L"carl"})
            list->AddItem(name);
    }
    void TearDown() override
    {
        if (list) {
            EXPECT_EQ(list->Release(), 0u);
        }
        EXPECT_EQ(CCustomAutoComplete::LiveCount(), live) << "every enumerator deleted itself";
    }

    // Next(count) as the shell calls it; frees what it gets.
    static HRESULT Take(IEnumString* e, ULONG count, std::vector<std::wstring>& names, ULONG* fetched)
    {
        std::vector<LPOLESTR> out(std::max<ULONG>(count, 1) + 1, nullptr);
        HRESULT hr = e->Next(count, out.data(), fetched);
        names.clear();
        for (LPOLESTR s : out) {
            if (!s)
                break;
            names.push_back(s);
            CoTaskMemFree(s);
        }
        return hr;
    }

    LONG live = 0;
    CCustomAutoComplete* list = nullptr;
};

using Names = std::vector<std::wstring>;

} // namespace

TEST_F(AutoCompleteList, AddsDistinctNamesAndFindsThemExactly)
{
    EXPECT_FALSE(list->AddItem(L"bob")) << "an exact repeat is added once";
    EXPECT_TRUE(list->AddItem(L"Bob")) << "another case is another name";
    EXPECT_EQ(list->ItemCount(), 4u);
    EXPECT_EQ(list->FindItem(L"bob"), 1);
    EXPECT_EQ(list->FindItem(L"Bob"), 3);
    EXPECT_EQ(list->FindItem(L"BOB"), -1);
    EXPECT_EQ(list->Item(3), L"Bob");
}

TEST_F(AutoCompleteList, NextHandsOutCopiesAndAdvances)
{
    Names names;
    ULONG fetched = 99;
    EXPECT_EQ(Take(list, 2, names, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(names, (Names{L"amy", L"bob"}));

    EXPECT_EQ(Take(list, 2, names, &fetched), S_FALSE) << "only one was left";
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(names, (Names{L"carl"}));

    EXPECT_EQ(Take(list, 1, names, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_TRUE(names.empty());

    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(Take(list, 0, names, nullptr), S_OK) << "0 counts as 1; the count pointer may be null";
    EXPECT_EQ(names, (Names{L"amy"}));
}

TEST_F(AutoCompleteList, SkipPastTheEndStartsAgain)
{
    Names names;
    ULONG fetched = 0;
    EXPECT_EQ(list->Skip(1), S_OK);
    Take(list, 1, names, &fetched);
    EXPECT_EQ(names, (Names{L"bob"}));

    EXPECT_EQ(list->Skip(5), S_OK);
    Take(list, 1, names, &fetched);
    EXPECT_EQ(names, (Names{L"amy"}));

    // Skipping exactly to the end does not pass the number of names: the
    // position stays there and Next has nothing left.
    list->Reset();
    EXPECT_EQ(list->Skip(3), S_OK);
    EXPECT_EQ(Take(list, 1, names, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_TRUE(names.empty());

    // One more passes it: back to the first name.
    list->Reset();
    EXPECT_EQ(list->Skip(4), S_OK);
    EXPECT_EQ(Take(list, 1, names, &fetched), S_OK);
    EXPECT_EQ(names, (Names{L"amy"}));

    // From the middle, passing the end also starts again.
    list->Reset();
    list->Skip(2);
    EXPECT_EQ(list->Skip(2), S_OK);
    Take(list, 2, names, &fetched);
    EXPECT_EQ(names, (Names{L"amy", L"bob"}));
}

TEST_F(AutoCompleteList, CloneKeepsNamesAndPositionAndOwnsOneReference)
{
    list->Skip(1);
    IEnumString* clone = nullptr;
    ASSERT_EQ(list->Clone(&clone), S_OK);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(CCustomAutoComplete::LiveCount(), live + 2);

    Names names;
    ULONG fetched = 0;
    Take(clone, 5, names, &fetched);
    EXPECT_EQ(names, (Names{L"bob", L"carl"}));
    // The original did not move.
    Take(list, 1, names, &fetched);
    EXPECT_EQ(names, (Names{L"bob"}));

    EXPECT_EQ(clone->Release(), 0u);
    EXPECT_EQ(CCustomAutoComplete::LiveCount(), live + 1);
}

TEST_F(AutoCompleteList, CountsReferencesAndDeletesItselfAtZero)
{
    EXPECT_EQ(list->AddRef(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(list->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    IEnumString* enumerator = nullptr;
    ASSERT_EQ(list->QueryInterface(IID_IEnumString, reinterpret_cast<void**>(&enumerator)), S_OK);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(list->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(unknown->Release(), 3u);
    EXPECT_EQ(enumerator->Release(), 2u);
    EXPECT_EQ(list->Release(), 1u);
    EXPECT_EQ(CCustomAutoComplete::LiveCount(), live + 1);
    EXPECT_EQ(list->Release(), 0u);
    list = nullptr;
    EXPECT_EQ(CCustomAutoComplete::LiveCount(), live);
}

TEST_F(AutoCompleteList, BindsToTheAccountBoxOnceAndUnbinds)
{
    ScopedLanguage language("en");
    CDialogBase login(IDD_LOGIN);
    ASSERT_NE(login.Create(nullptr), nullptr);
    HWND edit = login.Item(IDC_ACCOUNT);

    ASSERT_TRUE(list->Bind(edit, CCustomAutoComplete::kDefaultOptions));
    EXPECT_TRUE(list->IsBound());
    EXPECT_FALSE(list->Bind(edit)) << "already bound";
    EXPECT_TRUE(list->IsBound());

    list->Unbind();
    EXPECT_FALSE(list->IsBound());
    list->Unbind(); // a second unbind does nothing
    EXPECT_FALSE(list->IsBound());
    // The shell's object lets go of the enumerator once the box is gone;
    // TearDown checks that the last Release deletes it.
    login.EndDialog(IDCANCEL);
}

TEST_F(AutoCompleteList, BindingNoWindowFailsAndChangesNothing)
{
    EXPECT_FALSE(list->Bind(nullptr));
    EXPECT_FALSE(list->IsBound());
}
