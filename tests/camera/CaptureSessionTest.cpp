#include "core/camera/CameraControllerHelper.h"
#include "core/camera/CaptureSession.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/ui/AnimationBlock.h"
#include "sim/SimulatedCamera.h"
#include "support/CameraWaits.h"
#include "support/MemoryStore.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

namespace kestrel {
namespace {

using State = CaptureSession::State;

// The session alone: pictures processed on the main loop (posted), so that
// each step is one turn of the loop.
class CaptureSessionTest : public ::testing::Test {
protected:
    CaptureSessionTest() {
        session.setShownObserver([this] { ++shown; });
        session.setFirstPhotoObserver([this](const CaptureSession::Processed&) { ++firsts; });
    }
    // A picture asked for and come, not yet processed.
    void take(bool finalPhoto, bool autoSave, int width = 40) {
        ASSERT_TRUE(session.mayRequest(finalPhoto));
        session.requested(finalPhoto, nullptr, autoSave);
        ASSERT_TRUE(session.arrived(test::TestImages::uniform(width, 30, {1, 2, 3})));
    }

    ManualRunLoop loop;
    CaptureSession session{loop, nullptr};
    int shown = 0;
    int firsts = 0;
};

TEST_F(CaptureSessionTest, APictureGoesLiveCapturingProcessingReviewingSavingReturningLive) {
    EXPECT_EQ(session.state(), State::kLive);
    session.requested(true, nullptr, false);
    EXPECT_EQ(session.state(), State::kCapturing);
    EXPECT_TRUE(session.isCapturing());
    ASSERT_TRUE(session.arrived(test::TestImages::uniform(40, 30, {1, 2, 3})));
    EXPECT_EQ(session.state(), State::kProcessing);
    EXPECT_FALSE(session.mayRequest(true));  // one picture at a time, not yet bound for the store
    loop.runUntilIdle();
    EXPECT_EQ(session.state(), State::kReviewing);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(session.image().width(), 40);
    session.saveStarted();
    EXPECT_EQ(session.state(), State::kSaving);
    EXPECT_FALSE(session.saveFinished());  // nothing waits: back to the live view
    session.returning();
    EXPECT_EQ(session.state(), State::kReturning);
    session.returned();
    EXPECT_EQ(session.state(), State::kLive);
    EXPECT_FALSE(session.image());
}

// What may be asked of the camera while a picture is on its way: only a
// final picture, and only behind pictures that reach the store by themselves.
TEST_F(CaptureSessionTest, OnlyAFinalPictureFollowsOneBoundForTheStore) {
    struct Case {
        const char* where;
        bool autoSave;
        int steps;  // 0 capturing, 1 processing, 2 reviewing, 3 saving
        bool finalMay;
    };
    for (const Case& c :
         {Case{"capturing", true, 0, false}, Case{"processing", true, 1, true},
          Case{"processing, for review", false, 1, false},
          Case{"reviewing, auto-saved", true, 2, true},
          Case{"reviewing, for the user", false, 2, false}, Case{"saving", true, 3, true},
          Case{"saving what the user kept", false, 3, true}}) {
        CaptureSession fresh(loop, nullptr);
        fresh.requested(true, nullptr, c.autoSave);
        if (c.steps >= 1) {
            ASSERT_TRUE(fresh.arrived(test::TestImages::uniform(8, 6, {0, 0, 0})));
        }
        if (c.steps >= 2) loop.runUntilIdle();
        if (c.steps >= 3) fresh.saveStarted();
        EXPECT_EQ(fresh.mayRequest(true), c.finalMay) << c.where;
        EXPECT_FALSE(fresh.mayRequest(false)) << c.where;  // a first exposure never waits behind
    }
}

TEST_F(CaptureSessionTest, PicturesBehindASaveAreShownAndSavedInTheOrderTheyWereTaken) {
    take(true, true, 10);
    loop.runUntilIdle();
    session.saveStarted();
    take(true, true, 11);
    take(true, true, 12);
    EXPECT_EQ(session.photosBeforeTheStore(), 2u);  // the one shown is with the saver
    loop.runUntilIdle();
    EXPECT_EQ(session.queuedSaves(), 2u);
    std::vector<int> saved{session.image().width()};
    while (session.saveFinished()) {
        saved.push_back(session.image().width());
        session.saveStarted();
    }
    EXPECT_EQ(saved, (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(session.photosBeforeTheStore(), 0u);
    EXPECT_EQ(shown, 3);
}

TEST_F(CaptureSessionTest, BehindASaveAtMostEightWaitAndAFailedCaptureLeavesThePictureShown) {
    take(true, true);
    loop.runUntilIdle();
    session.saveStarted();
    for (std::size_t i = 0; i < CaptureSession::kMaxBehind; ++i)
        take(true, true);
    EXPECT_FALSE(session.mayRequest(true));
    loop.runUntilIdle();
    EXPECT_EQ(session.queuedSaves(), CaptureSession::kMaxBehind);

    CaptureSession other(loop, nullptr);
    other.requested(true, nullptr, true);
    ASSERT_TRUE(other.arrived(test::TestImages::uniform(8, 6, {0, 0, 0})));
    loop.runUntilIdle();
    other.saveStarted();
    other.requested(true, nullptr, true);
    EXPECT_FALSE(other.arrived(Image()));  // the camera failed on the next one
    EXPECT_EQ(other.state(), State::kSaving);
    EXPECT_TRUE(other.image());
    EXPECT_FALSE(other.isCapturing());
}

TEST_F(CaptureSessionTest, AnIntermediateFrameGoesToTheModeAndTheScreenIsLiveAgain) {
    take(false, false);
    EXPECT_EQ(session.state(), State::kProcessing);
    loop.runUntilIdle();
    EXPECT_EQ(firsts, 1);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(session.state(), State::kLive);
}

TEST_F(CaptureSessionTest, TheShownCopyFitsTheScreenAndKeepsTheShape) {
    const Image landscape = test::TestImages::uniform(1600, 1200, {9, 9, 9});
    const Image portrait = landscape.withOrientation(Image::kRight);  // stored turned
    const Image small = test::TestImages::uniform(300, 200, {9, 9, 9});
    struct Case {
        Image picture;
        Size box;
        Size shown;
        bool same;
    };
    for (const Case& c : {Case{landscape, Size{427, 427}, Size{427, 320}, false},
                          Case{portrait, Size{427, 427}, Size{320, 427}, false},
                          Case{landscape, Size{800, 300}, Size{400, 300}, false},
                          Case{small, Size{427, 427}, Size{300, 200}, true},
                          Case{landscape, Size{}, Size{1600, 1200}, true}}) {
        const Image shownCopy = CaptureSession::shownFor(c.picture, c.box);
        EXPECT_EQ(shownCopy.size(), c.shown) << c.box.width << "x" << c.box.height;
        EXPECT_EQ(shownCopy.sameBitmap(c.picture), c.same);
    }
}

// The whole camera screen with the real photo worker, held back by the test.
class CaptureOnAWorkerTest : public ::testing::Test {
protected:
    CaptureOnAWorkerTest()
        : record(store),
          camera(loop, nullptr, 1600, 1200),
          worker("photo processing", loop),
          album((dir / "DCIM").string(), loop),
          saver(album, (dir / "DCIM").string(), loop, nullptr),
          block(&loop),
          controller(CameraControllerHelper::Services{camera, views, loop, sounds, saver, center,
                                                      test::testPaths().resourcesDir, nullptr,
                                                      nullptr, nullptr, nullptr, &worker}) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kStandard);
        record.setFullSizePhoto(true);
        controller.setLayout(ScreenLayout(Size{320, 480}));
        controller.showCamera();
    }
    ~CaptureOnAWorkerTest() override {
        release();
        worker.shutdown();
        ApplicationId::setId(0);
    }
    void hold() {
        worker.enqueue([gate = gate.get_future().share()] { gate.wait(); });
    }
    void release() {
        if (!released) gate.set_value();
        released = true;
    }
    static int ratioOf(double aspect) {
        for (int i = 0; i < 29; ++i)
            if (std::abs(Camera1Data::getAspectRatio(i) - aspect) < 1e-6) return i;
        return -1;
    }

    test::TempDir dir;
    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    NotificationCenter center;
    SimulatedCamera camera;
    CameraViewManager views;
    test::RecordingSounds sounds;
    SaverQueue worker;
    DcimPhotoAlbum album;
    GpsImageSaver saver;
    AnimationBlock block;
    CameraControllerHelper controller;
    std::promise<void> gate;
    bool released = false;
};

TEST_F(CaptureOnAWorkerTest, ThePictureIsMadeOffTheLoopWithTheSettingsOfThePress) {
    const int square = ratioOf(1.0);
    ASSERT_GE(square, 0);
    record.setRatio(0);  // 4:3 at the press
    hold();
    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_EQ(controller.session().state(), State::kProcessing);
    EXPECT_FALSE(controller.isLive());
    // The loop is free: the screen answers, the shutter takes no second picture.
    controller.shutter();
    loop.advance(1.0);
    EXPECT_EQ(camera.picturesTaken(), 1);
    record.setRatio(square);  // changed after the press: not this picture's
    release();
    ASSERT_TRUE(test::awaitProcessing(loop, controller));
    EXPECT_EQ(controller.session().state(), State::kReviewing);
    ASSERT_TRUE(controller.image());
    // The whole frame (a sensor turned on its mounting gives it upright), 4:3.
    const auto longToShort = [](Size s) {
        return std::max(s.width, s.height) / std::min(s.width, s.height);
    };
    const Size photo = controller.image().size();
    EXPECT_EQ(photo.width * photo.height, 1600.0f * 1200.0f);
    EXPECT_NEAR(longToShort(photo), 4.0 / 3.0, 0.01);
    // The screen shows a copy no larger than it draws.
    const Size onScreen = views.saveImageView->image().size();
    EXPECT_LE(std::max(onScreen.width, onScreen.height), 427);
    EXPECT_NEAR(longToShort(onScreen), 4.0 / 3.0, 0.01);
    EXPECT_EQ(onScreen.width > onScreen.height, photo.width > photo.height);
}

TEST_F(CaptureOnAWorkerTest, APictureProcessedWhileTheCameraIsAwayIsReviewedWhenItComesBack) {
    hold();
    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag);
    controller.cameraWillHide();  // the settings, say
    release();
    ASSERT_TRUE(test::awaitProcessing(loop, controller));
    ASSERT_TRUE(controller.image());
    EXPECT_TRUE(views.toolBar->frame().x == 0);  // nothing moved behind the other screen
    controller.cameraDidShow();
    loop.advance(1.0);
    EXPECT_TRUE(views.toolBar->reviewPageShown());
    EXPECT_FALSE(views.saveImageView->hidden());
}

}  // namespace
}  // namespace kestrel
