// References by serial: an object that is gone never resolves again, wherever the next one lands.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <set>

#include "framework/core/ObjectRef.h"

using namespace tsb;

namespace {
struct Thing : TLiveObject {
    int n = 0;
};
struct Other : TLiveObject {};
}  // namespace

TEST(ObjectRef, AReleasedObjectDoesNotResolveEvenWhenAnotherTakesItsAddress) {
    alignas(Thing) unsigned char place[sizeof(Thing)];
    Thing* first = new (place) Thing;
    TRef<Thing> old = first;
    EXPECT_EQ(old.Get(), first);
    first->~Thing();
    EXPECT_EQ(old.Get(), nullptr);

    Thing* second = new (place) Thing;
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(first)) << "the same address";
    EXPECT_EQ(old.Get(), nullptr);
    TRef<Thing> now = second;
    EXPECT_EQ(now.Get(), second);
    EXPECT_FALSE(now == old);
    second->~Thing();
    EXPECT_EQ(now.Get(), nullptr);
}

TEST(ObjectRef, SerialsAreNeverGivenTwice) {
    std::set<TSerial> seen;
    TSerial last = 0;
    for (int round = 0; round < 100; ++round) {
        auto a = std::make_unique<Thing>();
        auto b = std::make_unique<Other>();
        for (TSerial s : {a->Serial(), b->Serial()}) {
            EXPECT_GT(s, last);
            last = s;
            EXPECT_TRUE(seen.insert(s).second);
        }
    }
}

TEST(ObjectRef, ACopyIsAnotherObject) {
    Thing a;
    a.n = 7;
    TRef<Thing> ref = &a;
    Thing b = a;
    EXPECT_EQ(b.n, 7);
    EXPECT_NE(b.Serial(), a.Serial());
    EXPECT_EQ(TRef<Thing>(&b).Get(), &b);
    Thing c;
    TSerial own = c.Serial();
    c = a;
    EXPECT_EQ(c.Serial(), own) << "assignment copies the contents, not the identity";
    EXPECT_EQ(ref.Get(), &a);
}

TEST(ObjectRef, ResolvesOnlyToTheKindAskedFor) {
    Thing thing;
    TObjectRef any = &thing;
    EXPECT_EQ(any.Get(), &thing);
    EXPECT_EQ(any.As<Thing>(), &thing);
    EXPECT_EQ(any.As<Other>(), nullptr);
    EXPECT_EQ(TRef<Other>::FromSerial(any.Serial()).Get(), nullptr) << "a serial handed in from outside";
    TRef<Thing> typed = &thing;
    TObjectRef widened = typed;
    EXPECT_TRUE(widened == any);

    TRef<Thing> none;
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(none.Get(), nullptr);
    EXPECT_TRUE(TRef<Thing>(nullptr).Empty());
    EXPECT_FALSE(typed.Empty());
}
