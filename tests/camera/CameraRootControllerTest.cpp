#include "core/camera/CameraRootController.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/store/DcimPhotoAlbum.h"
#include "sim/SimulatedCamera.h"
#include "support/MemoryStore.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include "support/RecordingSounds.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class RootTest : public ::testing::Test {
protected:
    RootTest()
        : record(store),
          camera(loop, nullptr, 64, 48),
          album((dir / "DCIM").string(), loop),
          saver(album, (dir / "DCIM").string(), loop, nullptr),
          helper(CameraControllerHelper::Services{camera, views, loop, sounds, saver, center,
                                                  test::testPaths().resourcesDir, nullptr,
                                                  nullptr}),
          settingsScreens(
              std::make_shared<NavigationController>(std::make_shared<ViewController>())) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kStandard);
        ViewController::transitions().clear();
    }
    ~RootTest() override { ApplicationId::setId(0); }

    std::vector<std::string> transitionsSeen() const {
        std::vector<std::string> seen;
        for (const auto& t : ViewController::transitions())
            seen.push_back(t.kind + (t.animated ? " animated" : "") +
                           (t.controller == settingsScreens.get() ? " settings" : " camera"));
        return seen;
    }

    test::TempDir dir;
    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    NotificationCenter center;
    SimulatedCamera camera;
    CameraViewManager views;
    test::RecordingSounds sounds;
    DcimPhotoAlbum album;
    GpsImageSaver saver;
    CameraControllerHelper helper;
    std::shared_ptr<NavigationController> settingsScreens;
};

TEST_F(RootTest, FromVersion4TheCameraGoesAndComesBack) {
    const FixedSystemInfo info("4.2", "x");
    const SystemUtils system(info);
    CameraRootController root(helper, settingsScreens, system, loop);
    root.viewWillAppear(false);
    EXPECT_EQ(root.rootImage(), "Screen4.png");
    root.viewDidAppear(false);  // first launch: the camera, without passing the settings
    EXPECT_EQ(root.modalViewController(), &root.cameraScreen());
    ASSERT_NE(helper.handler(), nullptr);

    views.toolBar->settingsButton().press();
    EXPECT_EQ(root.mAction(), CameraRootController::kShowSettings);
    EXPECT_EQ(root.modalViewController(), settingsScreens.get());

    root.doneSettings();
    loop.advance(RunLoop::seconds(0.1) - RunLoop::Duration(1));
    EXPECT_EQ(root.modalViewController(), settingsScreens.get());
    loop.advance(RunLoop::Duration(1));
    EXPECT_EQ(root.mAction(), CameraRootController::kShowCamera);
    EXPECT_EQ(root.modalViewController(), &root.cameraScreen());
    EXPECT_EQ(
        transitionsSeen(),
        (std::vector<std::string>{"present camera", "dismiss camera", "present animated settings",
                                  "dismiss animated settings", "present camera"}));
}

TEST_F(RootTest, BeforeVersion4TheSettingsGoOnTopOfTheRunningCamera) {
    const FixedSystemInfo info("3.1.3", "x");
    const SystemUtils system(info);
    CameraRootController root(helper, settingsScreens, system, loop);
    root.viewWillAppear(false);
    EXPECT_EQ(root.rootImage(), "");
    root.viewDidAppear(false);
    CameraHandler* before = helper.handler();
    root.settings();
    EXPECT_EQ(root.cameraScreen().modalViewController(), settingsScreens.get());
    EXPECT_EQ(root.modalViewController(), &root.cameraScreen());  // never dismissed
    record.setMode(Camera1Data::kStandard);
    root.doneSettings();
    EXPECT_EQ(root.cameraScreen().modalViewController(), nullptr);
    EXPECT_NE(helper.handler(), before);  // the handler is rebuilt
}

TEST_F(RootTest, OtherActionsDoNothingOnAppearance) {
    const FixedSystemInfo info("4.0", "x");
    const SystemUtils system(info);
    CameraRootController root(helper, settingsScreens, system, loop);
    root.setMAction(5);
    root.viewDidAppear(false);
    EXPECT_EQ(root.modalViewController(), nullptr);
    EXPECT_TRUE(ViewController::transitions().empty());
}

// Whichever way the settings come (on top of the camera before 4.0, in its
// place from 4.0), a count-down stops when they open and nothing is taken
// behind them; a picture left in review is there again, usable, afterwards.
class HiddenCameraTest : public RootTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HiddenCameraTest, SettingsStopTheCountDownAndKeepTheReviewedPicture) {
    const FixedSystemInfo info(GetParam(), "x");
    const SystemUtils system(info);
    CameraRootController root(helper, settingsScreens, system, loop);
    record.setMode(Camera1Data::kTimer);
    record.setAutoSave(false);
    root.viewWillAppear(false);
    root.viewDidAppear(false);
    ASSERT_NE(helper.handler(), nullptr);

    views.toolBar->shutterButton().press();
    EXPECT_EQ(helper.handler()->state(), CameraHandler::kDelay);
    loop.advance(2.0);
    views.toolBar->settingsButton().press();
    EXPECT_EQ(helper.handler()->state(), CameraHandler::kIdle);
    EXPECT_TRUE(views.timerLabel->hidden());
    views.toolBar->shutterButton().press();  // a stray key behind the settings
    loop.advance(30.0);
    EXPECT_EQ(camera.picturesTaken(), 0);

    root.doneSettings();
    loop.advance(1.0);
    EXPECT_FALSE(helper.isHidden());
    EXPECT_EQ(helper.handler()->state(), CameraHandler::kIdle);  // live and idle, not re-armed

    // Now a picture in review, then the settings and back: it is still there.
    record.setMode(Camera1Data::kStandard);
    helper.reset();
    views.toolBar->shutterButton().press();
    loop.advance(1.0);
    ASSERT_TRUE(helper.image());
    views.toolBar->settingsButton().press();
    root.doneSettings();
    loop.advance(1.0);
    ASSERT_TRUE(helper.image());
    EXPECT_FALSE(views.saveImageView->hidden());
    EXPECT_TRUE(views.saveImageView->image());
    EXPECT_LT(views.toolBar->frame().x, 0);  // the review page: Use and Retake
    views.toolBar->retakeButton().press();
    EXPECT_FALSE(helper.image());
    views.toolBar->shutterButton().press();  // and the shutter works again
    loop.advance(1.0);
    EXPECT_EQ(camera.picturesTaken(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothVersionPaths, HiddenCameraTest, ::testing::Values("3.1.3", "4.2"));

}  // namespace
}  // namespace kestrel
