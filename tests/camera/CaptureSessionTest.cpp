#include "core/camera/CameraControllerHelper.h"
#include "core/camera/CaptureSession.h"
#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"
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

#include <cstdio>
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

// Each picture keeps the reason it was asked for with and the moment the
// camera took it, through processing and the queue behind a save.
TEST_F(CaptureSessionTest, EachPictureKeepsItsReasonAndTheMomentItWasTaken) {
    const auto at = [](double s) { return RunLoop::seconds(s); };
    session.requested(true, nullptr, true, "timer 1 s, every 2 s, picture 1");
    ASSERT_TRUE(session.arrived(test::TestImages::uniform(10, 8, {1, 2, 3}), at(1.5)));
    loop.runUntilIdle();
    session.saveStarted();
    session.requested(true, nullptr, true, "timer 1 s, every 2 s, picture 2");
    ASSERT_TRUE(session.arrived(test::TestImages::uniform(11, 8, {1, 2, 3}), at(3.5)));
    session.requested(true, nullptr, true, "motion 6.2 % of the view");
    ASSERT_TRUE(session.arrived(test::TestImages::uniform(12, 8, {1, 2, 3}), at(4.25)));
    loop.runUntilIdle();
    ASSERT_EQ(session.queuedSaves(), 2u);
    struct Seen {
        int width;
        std::string reason;
        RunLoop::Duration at;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen{{session.image().width(), session.shownReason(), session.shownCapturedAt()}};
    while (session.saveFinished()) {
        seen.push_back({session.image().width(), session.shownReason(), session.shownCapturedAt()});
        session.saveStarted();
    }
    EXPECT_EQ(seen, (std::vector<Seen>{{10, "timer 1 s, every 2 s, picture 1", at(1.5)},
                                       {11, "timer 1 s, every 2 s, picture 2", at(3.5)},
                                       {12, "motion 6.2 % of the view", at(4.25)}}));
    session.returning();
    session.returned();
    EXPECT_EQ(session.shownReason(), "");  // nothing shown, nothing to tell

    // Asked for without a reason: the shutter's; come without a moment: now.
    loop.advance(0.75);
    session.requested(true, nullptr, false);
    ASSERT_TRUE(session.arrived(test::TestImages::uniform(13, 8, {1, 2, 3})));
    loop.runUntilIdle();
    EXPECT_EQ(session.shownReason(), "shutter");
    EXPECT_EQ(session.shownCapturedAt(), loop.now());
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
    WorkerQueue worker;
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

// Lets a worker held by the test go on, at the latest when it goes out of scope.
class Gate {
public:
    explicit Gate(WorkerQueue& worker) {
        worker.enqueue([opened = promise_.get_future().share()] { opened.wait(); });
    }
    ~Gate() { open(); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    void open() {
        if (!opened_) promise_.set_value();
        opened_ = true;
    }

private:
    std::promise<void> promise_;
    bool opened_ = false;
};

// An interval series on a pinned virtual day: the second picture waits
// behind the first one's save until long after it was taken, and still
// records the moment the camera took it (DateTimeOriginal to the second,
// SubSecTimeOriginal to the millisecond) and why; DateTime stays the moment
// of writing.
TEST_F(CaptureOnAWorkerTest, APhotoSavedLateRecordsTheMomentItWasTakenOnTheLoopsDay) {
    using namespace std::chrono;
    const system_clock::time_point day = system_clock::from_time_t(1'941'523'200) + milliseconds(123);
    loop.setWallStart(day);
    record.setMode(Camera1Data::kTimer);
    record.setAutoSave(true);
    record.timer().setTimerDelay(1);
    record.timer().setInterval(2);
    record.timer().setCount(2);
    controller.reset();
    std::vector<RunLoop::Duration> received;
    controller.setTraceObserver([&](const std::string& event) {
        if (event.starts_with("picture received")) received.push_back(loop.now());
    });
    std::vector<std::string> saved;
    controller.setSaveObserver([&](const std::optional<std::string>& path) { saved.push_back(path.value_or("")); });

    Gate cameraRoll(album.worker());  // the first save takes until the test says
    controller.shutter();
    while (loop.now() < RunLoop::seconds(9)) {
        loop.advance(0.05);
        ASSERT_TRUE(test::awaitProcessing(loop, controller));
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], RunLoop::seconds(1.2 + SimulatedCamera::kShutterLag));
    EXPECT_EQ(received[1], RunLoop::seconds(3.2 + SimulatedCamera::kShutterLag));
    EXPECT_TRUE(controller.isSaving());
    EXPECT_EQ(controller.queuedSaves(), 1u);
    EXPECT_TRUE(saved.empty());
    cameraRoll.open();
    ASSERT_TRUE(test::awaitPhotos(loop, controller));
    ASSERT_EQ(saved.size(), 2u);

    for (std::size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(saved[i]);
        const auto taken = day + duration_cast<system_clock::duration>(received[i]);
        const LibExifFileWrapper tags(saved[i], LibExifFileWrapper::Reading::kTagsOnly);
        const auto* original = tags.findEntry("DateTimeOriginal", "EXIF");
        const auto* subSecond = tags.findEntry("SubSecTimeOriginal", "EXIF");
        const auto* written = tags.findEntry("DateTime", "0");
        ASSERT_TRUE(original && subSecond && written);
        EXPECT_EQ(original->value(), ExifWriter::dateText(floor<seconds>(taken)));
        char ms[8];
        std::snprintf(ms, sizeof ms, "%03d",
                      static_cast<int>(duration_cast<milliseconds>(taken.time_since_epoch()).count() % 1000));
        EXPECT_EQ(subSecond->value(), ms);
        EXPECT_NE(written->value(), original->value());  // the moment of writing, on the real clock
        EXPECT_EQ(ExifReader(saved[i]).userComment(),
                  "Kestrel: timer 1 s, every 2 s, picture " + std::to_string(i + 1) + " of 2");
    }
}

}  // namespace
}  // namespace kestrel
