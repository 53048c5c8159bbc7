#include "core/app/AppSettings.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/PlistPreferenceStore.h"
#include "core/settings/Camera1Data.h"
#include "core/settings/PrefAppDelegate.h"
#include "support/MemoryStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrel {
namespace {

class SaveOnChangeTest : public ::testing::Test {
protected:
    SaveOnChangeTest() : record(store) {
        delegate.setData(&record);
        delegate.saveOnChange(loop);
    }

    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    PrefAppDelegate delegate;
};

TEST_F(SaveOnChangeTest, TheChangesOfOneTurnAreWrittenOnceOnTheNext) {
    EXPECT_EQ(store.synchronizeCalls, 0);  // loading or first-start defaults write nothing
    record.setMode(Camera1Data::kTimer);
    record.setGrid(true);
    record.timer().setTimerDelay(30);       // a sub-record's own setter
    record.stablizer().setAutoShutter(true);
    Camera1RapidData rapid = record.rapid();  // a copy is not the record's
    rapid.setRapidMode(25);
    EXPECT_TRUE(delegate.changePending());
    EXPECT_EQ(store.synchronizeCalls, 0);
    record.setRapid(rapid);  // a whole sub-record replaced
    loop.runUntilIdle();
    EXPECT_EQ(store.synchronizeCalls, 1);
    EXPECT_FALSE(delegate.changePending());
    EXPECT_EQ(store.integerForKey("camera mode"), Camera1Data::kTimer);
    EXPECT_EQ(store.integerForKey("timer delay"), 30);
    EXPECT_TRUE(store.boolForKey("stabilizer auto shutter"));
    EXPECT_EQ(store.integerForKey("rapid mode"), 25);
    EXPECT_TRUE(store.boolForKey("persisted"));

    // Setting what is already there is no change.
    record.setMode(Camera1Data::kTimer);
    record.timer().setTimerDelay(30);
    record.setRapid(rapid);
    record.setStandard(Camera1StandardData());
    EXPECT_FALSE(delegate.changePending());
    loop.advance(1.0);
    EXPECT_EQ(store.synchronizeCalls, 1);

    // A later turn's change is a later write.
    record.sound().setSensitivity(3);
    loop.runUntilIdle();
    EXPECT_EQ(store.synchronizeCalls, 2);
}

TEST_F(SaveOnChangeTest, LeavingAndEndingKeepTheirSavesAndWriteWhatIsPending) {
    record.setFlash(2);
    delegate.applicationWillResignActive();  // writes the change with it
    EXPECT_EQ(store.synchronizeCalls, 1);
    EXPECT_TRUE(delegate.savedFlag());
    loop.runUntilIdle();
    EXPECT_EQ(store.synchronizeCalls, 1);  // the pending write went with the resign

    delegate.applicationWillTerminate();  // saved on leaving, nothing new: no write
    EXPECT_EQ(store.synchronizeCalls, 1);

    record.setCamera(1);  // changed after leaving: ending writes it at once
    delegate.applicationWillTerminate();
    EXPECT_EQ(store.synchronizeCalls, 2);
    EXPECT_EQ(store.integerForKey("camera"), 1);
    loop.runUntilIdle();
    EXPECT_EQ(store.synchronizeCalls, 2);
}

TEST(SaveOnChangeFileTest, TheFileHoldsTheNewValuesAfterOneTurn) {
    test::TempDir dir;
    ManualRunLoop loop;
    AppSettings settings(dir.path());
    PrefAppDelegate delegate;
    delegate.setData(&settings.record());
    delegate.saveOnChange(loop);
    EXPECT_FALSE(std::filesystem::exists(settings.store().file()));  // nothing changed yet

    settings.record().setAutoSave(true);
    settings.record().motion().setTimerDelay(7);
    loop.runUntilIdle();
    PlistPreferenceStore reread(settings.store().file());
    EXPECT_TRUE(reread.boolForKey("persisted"));
    EXPECT_TRUE(reread.boolForKey("auto save"));
    EXPECT_EQ(reread.integerForKey("motion delay"), 7);
}

TEST(SaveOnChangeFileTest, ARecordThatOutlivesItsDelegateCallsNothing) {
    test::MemoryStore store;
    ManualRunLoop loop;
    Camera1Data record(store);
    {
        PrefAppDelegate delegate;
        delegate.setData(&record);
        delegate.saveOnChange(loop);
    }
    record.setMode(Camera1Data::kSound);
    loop.runUntilIdle();
    EXPECT_EQ(store.synchronizeCalls, 0);
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

}  // namespace
}  // namespace kestrel
