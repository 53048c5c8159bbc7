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

#include "core/platform/ManualRunLoop.h"
#include "core/sensors/DevicePosition.h"
#include "sim/SimulatedAccelerometer.h"

namespace kestrel {
namespace {

TEST(StartupTest, TheSequenceRunsInOrder) {
    struct Idle final : IdleTimer {
        void setIdleTimerDisabled(bool disabled) override { log->push_back(disabled ? "idle off" : "idle on"); }
        std::vector<std::string>* log = nullptr;
    };
    std::vector<std::string> log;
    Idle idle;
    idle.log = &log;
    ManualRunLoop loop;
    auto accelerometer = SimulatedAccelerometer::named(loop, "landscape-left");
    NotificationCenter center;
    DevicePosition position(*accelerometer, loop, center);
    KestrelAppDelegate delegate;
    delegate.setIdleTimer(&idle);
    delegate.setDevicePosition(&position);
    delegate.setShowWindow([&] {
        log.push_back("window with variant " + std::to_string(ApplicationId::getId()));
    });
    ApplicationId::setId(0);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(log, (std::vector<std::string>{"idle off", "window with variant 40111"}));
    EXPECT_DOUBLE_EQ(position.interval(), 0.1);
    loop.advance(5.0);  // samples arrive 0.2 s later, ten a second
    EXPECT_EQ(position.orientation(), DevicePosition::kLandscapeXNegative);
    EXPECT_GE(position.total(), 45);
    ApplicationId::setId(0);
}

}  // namespace
}  // namespace kestrel

#include "core/app/KestrelApp.h"
#include "core/modes/CameraStabilizerHandler.h"
#include "core/platform/AbsentAccelerometer.h"
#include "core/platform/FixedLocationManager.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/RecordingSounds.h"

namespace kestrel {
namespace {

// A laptop: no accelerometer. The first start is in Stabilizing, watching
// the picture, a mode chosen since is kept, and the camera screen says why
// Moving cannot work.
TEST(StartupTest, WithoutAnAccelerometerTheFirstModeWatchesThePictureAndAChosenOneIsKept) {
    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera(loop);
    AbsentAccelerometer none;
    test::RecordingSounds sounds;
    auto launch = [&] {
        return std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, none, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
    };
    // The mode the camera screen now runs, and what its label says (none: hidden).
    auto choose = [&loop](KestrelApp& app, int mode) -> std::optional<std::string> {
        app.settings().record().setMode(mode);
        app.camera().reset();
        loop.advance(1.0);
        const Label& label = *app.cameraViews().saveLabel;
        return label.hidden() ? std::nullopt : std::optional(label.text());
    };
    {
        auto app = launch();
        EXPECT_FALSE(app->devicePosition().hasAccelerometer());
        EXPECT_EQ(app->settings().record().mode(), Camera1Data::kStabilizing);
        app->start();
        loop.advance(1.0);
        // Stabilizing watches the live view instead: nothing to say.
        EXPECT_TRUE(app->cameraViews().saveLabel->hidden());
        const auto* stabilizer =
            dynamic_cast<const CameraStabilizerHandler*>(app->camera().handler());
        ASSERT_NE(stabilizer, nullptr);
        EXPECT_TRUE(stabilizer->measuresPicture());
        EXPECT_EQ(choose(*app, Camera1Data::kStandard), std::nullopt);
        EXPECT_EQ(choose(*app, Camera1Data::kMoving), "Moving needs an accelerometer");
        EXPECT_EQ(choose(*app, Camera1Data::kStabilizing), std::nullopt);
        EXPECT_EQ(choose(*app, Camera1Data::kMoving), "Moving needs an accelerometer");
    }
    auto relaunched = launch();
    EXPECT_EQ(relaunched->settings().record().mode(), Camera1Data::kMoving);
    relaunched->start();
    loop.advance(1.0);
    EXPECT_FALSE(relaunched->cameraViews().saveLabel->hidden());
    EXPECT_EQ(choose(*relaunched, Camera1Data::kTimer), std::nullopt);  // the notice goes with the mode
}

}  // namespace
}  // namespace kestrel
