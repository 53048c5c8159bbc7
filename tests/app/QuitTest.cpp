#include "core/app/KestrelApp.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/PlistPreferenceStore.h"
#include "core/settings/ApplicationId.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/JpegBytes.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace kestrel {
namespace {

class QuitTest : public ::testing::Test {
protected:
    QuitTest() { open(true); }
    // A fresh application (the one before goes first), on the camera, in
    // Standard mode.
    void open(bool autoSave) {
        app.reset();
        quits = 0;
        KestrelApp::Options options = test::appOptions(dir.path());
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            options);
        app->setQuitHandler([this] { ++quits; });
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(autoSave);
        app->start();
        loop.advance(0.5);
    }
    ~QuitTest() override {
        app.reset();
        ApplicationId::setId(0);
    }

    // Turns the loop as the window's would until the quit handler ran, waiting
    // for the saver workers' posts when only they can move things on.
    void runUntilQuit() {
        for (int turns = 0; quits == 0 && turns < 10000; ++turns) {
            if (loop.waitForPosts(std::chrono::milliseconds(0))) {
                loop.runUntilIdle();
            } else if (!app->photoWorker().idle() || !app->ownStoreWorker().idle() ||
                       !app->cameraRollWorker().idle()) {
                loop.waitForPosts(std::chrono::milliseconds(50));
                loop.runUntilIdle();
            } else {
                loop.advance(0.05);
            }
        }
    }
    std::vector<std::filesystem::path> photos() const {
        std::vector<std::filesystem::path> found;
        const auto folder = dir / "DCIM" / "100APPLE";
        if (!std::filesystem::exists(folder)) return found;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".JPG") found.push_back(entry.path());
        return found;
    }
    void pressShutter() { app->cameraViews().toolBar->shutterButton().press(); }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer{std::move(*SimulatedAccelerometer::named(loop, "steady"))};
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    int quits = 0;
};

TEST_F(QuitTest, WithNothingOnItsWayTheQuitIsImmediateAndTheSettingsAreOnDisk) {
    app->settings().record().setGrid(true);  // changed in this very turn
    EXPECT_EQ(app->photosOnTheirWay(), 0u);
    app->terminate();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(loop.now(), RunLoop::seconds(0.5));
    PlistPreferenceStore onDisk(app->settings().store().file());
    EXPECT_TRUE(onDisk.boolForKey("grid"));
    EXPECT_EQ(onDisk.integerForKey("camera mode"), Camera1Data::kStandard);
}

TEST_F(QuitTest, AQuitDuringTheCaptureLetsThePhotoReachTheDiskWhole) {
    pressShutter();  // the picture comes after the shutter lag
    ASSERT_FALSE(app->camera().isLive());
    app->terminate();
    EXPECT_TRUE(app->quitting());
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(app->photosOnTheirWay(), 1u);
    EXPECT_TRUE(photos().empty());

    runUntilQuit();
    EXPECT_EQ(quits, 1);
    EXPECT_LT(loop.now(), RunLoop::seconds(0.5) + KestrelApp::kQuitBound);
    ASSERT_EQ(photos().size(), 1u);
    const auto decoded = JpegCodec::decode(test::JpegBytes::read(photos()[0]));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width() * decoded->height(), 640 * 480);
    EXPECT_FALSE(app->camera().isSaving());  // its completion ran before the quit ended
}

TEST_F(QuitTest, AQuitDuringTheSaveWaitsForItAndWithoutAutoSaveTheReviewIsDropped) {
    pressShutter();
    loop.advance(SimulatedCamera::kShutterLag);
    ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
    loop.runUntilIdle();  // the automatic save starts on this turn
    ASSERT_TRUE(app->camera().isSaving());
    app->terminate();
    EXPECT_EQ(quits, 0);
    runUntilQuit();
    EXPECT_EQ(photos().size(), 1u);

    // A picture under review without auto-save waits for Use: nothing to wait for.
    open(false);
    pressShutter();
    loop.advance(SimulatedCamera::kShutterLag);
    ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
    ASSERT_TRUE(app->camera().image());
    app->terminate();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(photos().size(), 1u);
}

TEST_F(QuitTest, AnAutoSavedPictureKeptForTheCamerasReturnIsSavedByAQuitFromTheSettings) {
    // Shot, then the settings opened before it came: it waits for the
    // camera's return to be shown and saved. A quit from the settings saves
    // it, whether it came before the quit or comes after it.
    for (const bool cameBeforeTheQuit : {true, false}) {
        open(true);
        pressShutter();
        app->cameraViews().toolBar->settingsButton().press();
        ASSERT_TRUE(app->camera().isHidden());
        if (cameBeforeTheQuit) {
            loop.advance(SimulatedCamera::kShutterLag);
            ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
            loop.runUntilIdle();
            ASSERT_TRUE(app->camera().image());  // kept for the camera's return
            ASSERT_FALSE(app->camera().isSaving());
        }
        const auto before = photos().size();
        const auto quitAt = loop.now();
        app->terminate();
        runUntilQuit();
        EXPECT_EQ(quits, 1);
        EXPECT_LT(loop.now() - quitAt, KestrelApp::kQuitBound) << cameBeforeTheQuit;  // not given up
        EXPECT_EQ(photos().size(), before + 1) << cameBeforeTheQuit;
    }
}

// The picture is still being processed when the quit comes (the photo worker
// is held): the quit waits for it, and for its save, and the photo is on disk.
TEST_F(QuitTest, AQuitWhileThePictureIsProcessedWaitsForItsSave) {
    std::promise<void> gate;
    app->photoWorker().enqueue([held = gate.get_future().share()] { held.wait(); });
    pressShutter();
    loop.advance(SimulatedCamera::kShutterLag);
    ASSERT_TRUE(app->camera().isProcessing());
    EXPECT_EQ(app->camera().session().state(), CaptureSession::State::kProcessing);
    // A press while the picture is processed takes no second one.
    pressShutter();
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_FALSE(app->camera().isCapturing());
    app->terminate();
    EXPECT_EQ(app->photosOnTheirWay(), 1u);
    loop.advance(1.0);
    EXPECT_EQ(quits, 0);  // still waiting for it
    gate.set_value();
    runUntilQuit();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(photos().size(), 1u);
}

TEST_F(QuitTest, TheWaitIsBoundedAndASecondQuitDoesNotWait) {
    std::atomic<bool> release{false};
    struct Release {
        std::atomic<bool>& flag;
        std::unique_ptr<KestrelApp>& app;
        ~Release() {
            flag = true;
            app.reset();  // joins its worker while the flag is still there
        }
    } releaseAtTheEnd{release, app};
    auto holdTheWorker = [&] {
        app->cameraRollWorker().enqueue([&] {
            while (!release) std::this_thread::yield();
        });
    };
    holdTheWorker();
    app->terminate();
    EXPECT_EQ(app->photosOnTheirWay(), 1u);
    loop.advance(KestrelApp::kQuitBound - RunLoop::seconds(0.1));
    EXPECT_EQ(quits, 0);
    loop.advance(0.1);
    EXPECT_EQ(quits, 1);  // given up after the bound

    // Again, and a second terminate() while waiting ends the wait.
    release = true;
    open(true);
    release = false;
    holdTheWorker();
    app->terminate();
    EXPECT_EQ(quits, 0);
    app->terminate();
    EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace kestrel
