#include "core/settings/PrefAppDelegate.h"
#include "core/settings/PrefObject.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrel {
namespace {

// Records which hook ran.
class Probe final : public PrefObject {
public:
    explicit Probe(PreferenceStore& store) : PrefObject(store) { init(); }
    using PrefObject::load;
    using PrefObject::save;
    int loads = 0;
    int initializes = 0;
    mutable int saves = 0;

protected:
    void load(PreferenceStore&) override { ++loads; }
    void save(PreferenceStore& store) const override {
        ++saves;
        store.setInteger(42, "probe");
    }
    void initialize() override { ++initializes; }
};

TEST(PrefObjectTest, FirstStartInitializesAndWritesNothing) {
    test::MemoryStore store;
    Probe probe(store);
    EXPECT_EQ(probe.initializes, 1);
    EXPECT_EQ(probe.loads, 0);
    EXPECT_FALSE(probe.persisted());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(store.synchronizeCalls, 0);
}

TEST(PrefObjectTest, SaveMarksPersistedWritesAndSynchronizes) {
    test::MemoryStore store;
    {
        Probe probe(store);
        EXPECT_TRUE(probe.save());
        EXPECT_TRUE(probe.persisted());
    }
    EXPECT_EQ(store.writes, (std::vector<std::string>{"persisted", "probe"}));
    EXPECT_EQ(store.synchronizeCalls, 1);
    Probe later(store);  // a later launch loads
    EXPECT_EQ(later.loads, 1);
    EXPECT_EQ(later.initializes, 0);
    EXPECT_TRUE(later.persisted());

    store.failSynchronize = true;
    EXPECT_FALSE(later.save());
}

TEST(PrefObjectTest, TheFirstObjectHoldsTheSlotUntilItGoes) {
    test::MemoryStore store;
    EXPECT_EQ(PrefObject::singleObject(), nullptr);
    auto first = std::make_unique<Probe>(store);
    EXPECT_EQ(PrefObject::singleObject(), first.get());
    {
        Probe second(store);
        EXPECT_EQ(PrefObject::singleObject(), first.get());
    }
    EXPECT_EQ(PrefObject::singleObject(), first.get());
    first.reset();
    EXPECT_EQ(PrefObject::singleObject(), nullptr);
}

TEST(PrefAppDelegateTest, SavesOncePerActivation) {
    test::MemoryStore store;
    Probe probe(store);
    PrefAppDelegate delegate;
    delegate.applicationWillResignActive();  // no data yet: nothing happens
    delegate.applicationWillTerminate();
    EXPECT_EQ(probe.saves, 0);

    delegate.setData(&probe);
    delegate.applicationWillResignActive();
    EXPECT_TRUE(delegate.savedFlag());
    delegate.applicationWillTerminate();
    EXPECT_EQ(probe.saves, 1);  // resign, then terminate: one save

    delegate.applicationDidBecomeActive();
    EXPECT_FALSE(delegate.savedFlag());
    delegate.applicationWillResignActive();
    EXPECT_EQ(probe.saves, 2);  // resign, active, resign: two saves

    delegate.applicationDidBecomeActive();
    delegate.applicationWillTerminate();
    EXPECT_EQ(probe.saves, 3);  // terminate without a resign saves
}

TEST(PrefAppDelegateTest, ASaveThatFailedIsTriedAgainOnTermination) {
    test::MemoryStore store;
    Probe probe(store);
    PrefAppDelegate delegate;
    delegate.setData(&probe);
    store.failSynchronize = true;
    delegate.applicationWillResignActive();
    EXPECT_FALSE(delegate.savedFlag());
    store.failSynchronize = false;
    delegate.applicationWillTerminate();
    EXPECT_EQ(probe.saves, 2);
    EXPECT_EQ(store.synchronizeCalls, 2);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(PrefObjectImageTest, PicturesAreKeptAsBlobsAndRemovedWhenAbsent) {
    test::MemoryStore store;
    Bitmap bitmap(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) bitmap.row(y)[x * 4 + 2] = static_cast<std::uint8_t>(x * 30);
    const Image picture(std::move(bitmap));

    PrefObject::savePng(picture, store, "poster");
    const Image png = PrefObject::loadPngFrom(store, "poster");
    ASSERT_TRUE(png);
    EXPECT_EQ(png.bitmap().row(3)[5 * 4 + 2], 150);  // lossless

    PrefObject::saveImage(picture, store, "photo");
    const auto blob = store.objectForKey("photo");
    ASSERT_TRUE(blob);
    EXPECT_EQ((*blob)[0], 0xFF);  // a JPEG
    EXPECT_EQ(PrefObject::loadImageFrom(store, "photo").width(), 8);

    PrefObject::saveImage(Image(), store, "photo");
    EXPECT_FALSE(store.objectForKey("photo"));
    EXPECT_FALSE(PrefObject::loadImageFrom(store, "photo"));
    store.setObject({1, 2, 3}, "junk");
    EXPECT_FALSE(PrefObject::loadImageFrom(store, "junk"));
}

}  // namespace
}  // namespace kestrel
