// Documents made through a thread's factory: each its own and read as those
// made straight by COM; factories that nest; a thread without COM.
#include "service/FeedDocument.h"
#include "service/FeedDocumentFactory.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// The text of the first `tag` of `body` loaded into a new document.
std::wstring FirstText(const wchar_t* body, const wchar_t* tag)
{
    FeedDocument document;
    if (!document.Create())
        return L"(not made)";
    uint32_t elapsed = 0;
    bool parsed = false;
    if (document.Load(body, elapsed, parsed) != S_OK)
        return L"(not loaded)";
    std::wstring text;
    document.DocumentText(tag, text);
    return text;
}

} // namespace

TEST(FeedDocumentFactory, DocumentsOfOneFactoryAreEachTheirOwnWithTheSameSettings)
{
    FeedDocumentFactory documents;
    FeedDocument first;
    FeedDocument second;
    ASSERT_TRUE(first.Create());
    ASSERT_TRUE(second.Create());
    EXPECT_NE(first.Get(), second.Get());
    uint32_t elapsed = 0;
    bool parsed = false;
    ASSERT_EQ(first.Load(L"<r><a>one</a></r>", elapsed, parsed), S_OK);
    ASSERT_EQ(second.Load(L"<r><a>two</a><b>x</b></r>", elapsed, parsed), S_OK);
    std::wstring text;
    first.DocumentText(L"a", text);
    EXPECT_EQ(text, L"one");
    first.DocumentText(L"b", text);
    EXPECT_EQ(text, L"");
    second.DocumentText(L"a", text);
    EXPECT_EQ(text, L"two");

    // External entities and validation stay off, and bad text still fails.
    for (FeedDocument* document : {&first, &second}) {
        VARIANT_BOOL resolve = VARIANT_TRUE;
        VARIANT_BOOL validate = VARIANT_TRUE;
        document->Get()->get_resolveExternals(&resolve);
        document->Get()->get_validateOnParse(&validate);
        EXPECT_EQ(resolve, VARIANT_FALSE);
        EXPECT_EQ(validate, VARIANT_FALSE);
    }
    EXPECT_EQ(FirstText(L"<r><a>1</r>", L"a"), L"(not loaded)");
}

TEST(FeedDocumentFactory, NestedFactoriesGiveWayInTurnAndComServesAfterTheLast)
{
    {
        FeedDocumentFactory outer;
        {
            FeedDocumentFactory inner;
            EXPECT_EQ(FirstText(L"<r><a>inner</a></r>", L"a"), L"inner");
        }
        EXPECT_EQ(FirstText(L"<r><a>outer</a></r>", L"a"), L"outer");
    }
    EXPECT_EQ(FirstText(L"<r><a>none</a></r>", L"a"), L"none");
}

TEST(FeedDocumentFactory, OnAThreadWithoutComNothingIsMadeUntilComIsThere)
{
    HRESULT without = S_OK;
    HRESULT with = E_FAIL;
    bool madeWithout = true;
    bool madeWith = false;
    bool initialised = false;
    std::thread worker([&] {
        {
            FeedDocumentFactory documents;
            ComRef<IXMLDOMDocument> document;
            without = FeedDocumentFactory::CreateDocument(document);
            madeWithout = bool(document);
            initialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
            with = FeedDocumentFactory::CreateDocument(document);
            madeWith = bool(document);
        } // the document and the factory go before COM does
        if (initialised)
            CoUninitialize();
    });
    worker.join();
    ASSERT_TRUE(initialised);
    if (SUCCEEDED(without))
        GTEST_SKIP() << "the parser is available without COM on this thread";
    EXPECT_FALSE(madeWithout);
    // The failure is not kept: the same factory asks COM again.
    EXPECT_EQ(with, S_OK);
    EXPECT_TRUE(madeWith);
}
