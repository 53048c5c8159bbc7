#include "core/app/AppActions.h"
#include "core/app/KestrelApp.h"
#include "core/modes/CameraDlxHandler.h"
#include "core/modes/CameraRapidHandler.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrel {
namespace {

// The actions from outside the window on the application itself, in the
// modes that hold work between pictures; auto-save on, so that whatever a
// cancel failed to stop would end up on disk.
class AppActionsTest : public ::testing::Test {
protected:
    void open(int mode) {
        actions.reset();
        app.reset();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(mode);
        app->settings().record().setAutoSave(true);
        app->start();
        loop.advance(0.5);
        actions = std::make_unique<AppActions>(*app);
    }
    ~AppActionsTest() override {
        actions.reset();
        app.reset();
        ApplicationId::setId(0);
    }
    // Turns the loop in steps of `step` until `done`, the pictures'
    // processing awaited at each; at most `limit` of virtual time.
    bool runUntil(const std::function<bool()>& done, double step = 0.05, double limit = 30) {
        for (double passed = 0; passed < limit; passed += step) {
            if (!test::awaitPhotos(loop, app->camera())) return false;
            if (done()) return true;
            loop.advance(step);
        }
        return done();
    }
    std::size_t photosOnDisk() const {
        const auto folder = dir / "DCIM" / "100APPLE";
        if (!std::filesystem::exists(folder)) return 0;
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            count += entry.path().extension() == ".JPG";
        return count;
    }
    CameraHandler* handler() { return app->camera().handler(); }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer{std::move(*SimulatedAccelerometer::named(loop, "steady"))};
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<AppActions> actions;
};

// A series goes from frame to frame at once: a cancel finds a frame being
// taken, which lands as the last cell. The series goes no further and no
// sheet is made.
TEST_F(AppActionsTest, CancelEndsARapidSeriesUnderWayAndNoSheetIsMade) {
    open(Camera1Data::kRapidFire);
    ASSERT_TRUE(actions->takePicture());
    auto* series = dynamic_cast<CameraRapidHandler*>(handler());
    ASSERT_NE(series, nullptr);
    ASSERT_TRUE(runUntil([&] { return series->images().size() >= 2 && app->camera().isCapturing(); }));
    const std::size_t kept = series->images().size();
    EXPECT_EQ(series->heldWork(), CameraHandler::HeldWork::kSeries);
    ASSERT_TRUE(actions->cancel());
    EXPECT_EQ(handler(), series);
    EXPECT_FALSE(series->autoStart());
    loop.advance(10.0);
    ASSERT_TRUE(test::awaitPhotos(loop, app->camera()));
    EXPECT_LE(series->images().size(), kept + 1) << "the series does not go on";
    EXPECT_EQ(photosOnDisk(), 0u);
}

TEST_F(AppActionsTest, CancelDropsAHeldFirstExposureSoTheNextPressStartsAgain) {
    open(Camera1Data::kDoubleExposure);
    auto* exposures = dynamic_cast<CameraDlxHandler*>(handler());
    ASSERT_NE(exposures, nullptr);
    EXPECT_EQ(exposures->heldWork(), CameraHandler::HeldWork::kNone);
    ASSERT_TRUE(actions->takePicture());
    ASSERT_TRUE(runUntil([&] { return static_cast<bool>(exposures->image1()); }));
    EXPECT_EQ(exposures->heldWork(), CameraHandler::HeldWork::kFirstExposure);
    ASSERT_TRUE(actions->cancel());
    EXPECT_FALSE(exposures->image1());
    EXPECT_EQ(handler(), exposures) << "the same mode goes on";
    // The next press is a first exposure again, not the second of a pair.
    ASSERT_TRUE(runUntil([&] { return static_cast<bool>(actions->takePicture()); }));
    ASSERT_TRUE(runUntil([&] { return static_cast<bool>(exposures->image1()); }));
    loop.advance(2.0);
    ASSERT_TRUE(test::awaitPhotos(loop, app->camera()));
    EXPECT_EQ(photosOnDisk(), 0u);
}

TEST_F(AppActionsTest, CancelWithNothingHeldIsDoneAndChangesNothing) {
    open(Camera1Data::kStandard);
    CameraHandler* before = handler();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->heldWork(), CameraHandler::HeldWork::kNone);
    const AppActions::Outcome outcome = actions->cancel();
    EXPECT_TRUE(outcome);
    EXPECT_TRUE(outcome.why.empty());
    EXPECT_EQ(handler(), before);
}

}  // namespace
}  // namespace kestrel
