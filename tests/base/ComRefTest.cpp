// A COM reference taken over (Attach) or shared (Share), counted on an
// object that says how many references it holds and when it goes.
#include "base/ComRef.h"

#include <windows.h>
#include <unknwn.h>

#include <utility>

#include <gtest/gtest.h>

namespace {

class Counted : public IUnknown
{
public:
    explicit Counted(bool& gone) : gone_(gone) {}

    STDMETHODIMP QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            gone_ = true;
            delete this;
        }
        return left;
    }
    ULONG References() const { return references_; }

private:
    virtual ~Counted() = default;
    ULONG references_ = 1; // the creator's, as an out-parameter hands it over
    bool& gone_;
};

} // namespace

TEST(ComRef, AttachTakesOverAndShareAddsAReference)
{
    const struct { const char* name; bool share; ULONG held; bool goneAtEnd; } cases[] = {
        {"attach", false, 1, true},
        {"share", true, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool gone = false;
        Counted* object = new Counted(gone);
        {
            auto ref = c.share ? ComRef<Counted>::Share(object) : ComRef<Counted>::Attach(object);
            EXPECT_EQ(ref.Get(), object);
            EXPECT_EQ(object->References(), c.held);
        }
        EXPECT_EQ(gone, c.goneAtEnd);
        if (!gone) {
            EXPECT_EQ(object->References(), 1u);
            object->Release();
        }
        EXPECT_TRUE(gone);
    }
}

TEST(ComRef, MovesDetachesAndResetsKeepTheCount)
{
    bool gone = false;
    Counted* object = new Counted(gone);
    auto first = ComRef<Counted>::Attach(object);
    auto second = ComRef<Counted>::Share(first.Get());
    EXPECT_EQ(object->References(), 2u);

    ComRef<Counted> moved(std::move(second));
    EXPECT_FALSE(second);
    EXPECT_EQ(object->References(), 2u);
    second = std::move(moved);
    EXPECT_EQ(object->References(), 2u);

    // Detach hands the reference on without releasing it.
    Counted* handed = second.Detach();
    EXPECT_FALSE(second);
    EXPECT_EQ(handed->References(), 2u);
    second = ComRef<Counted>::Attach(handed);

    second.Reset();
    EXPECT_EQ(object->References(), 1u);
    first.Out(); // releases what it held before the out-parameter is filled
    EXPECT_TRUE(gone);
    EXPECT_FALSE(ComRef<Counted>::Share(nullptr));
}
