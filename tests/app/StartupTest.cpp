#include "core/app/AppSettings.h"
#include "core/app/KestrelAppDelegate.h"
#include "core/settings/ApplicationId.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(StartupTest, SettingsSurviveARelaunchThroughTheDelegate) {
    test::TempDir dir;
    ApplicationId::setId(0);
    {
        AppSettings settings(dir.path());
        KestrelAppDelegate delegate;
        delegate.setData(&settings.record());
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(ApplicationId::getId(), 40111);
        EXPECT_EQ(Camera1Data::data(), &settings.record());
        EXPECT_FALSE(settings.record().persisted());

        settings.record().setMode(Camera1Data::kTimer);
        settings.record().timer().setTimerDelay(30);
        delegate.applicationWillResignActive();
        delegate.applicationWillTerminate();
    }
    EXPECT_EQ(Camera1Data::data(), nullptr);  // the record went with the graph

    AppSettings relaunched(dir.path());
    EXPECT_TRUE(relaunched.record().persisted());
    EXPECT_EQ(relaunched.record().mode(), Camera1Data::kTimer);
    EXPECT_EQ(relaunched.record().timer().timerDelay(), 30);
    ApplicationId::setId(0);
}

}  // namespace
}  // namespace kestrel
