#include "adapters/gst/GstCameraPicker.h"

#include "core/platform/ManualRunLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

CameraSource testSource(const std::string& description,
                        CameraSource::Facing facing = CameraSource::Facing::kUnknown) {
    return CameraSource{description, "gst", description, facing, -1};
}

// Runs the loop's posts until `done` or two seconds of waiting.
template <typename Done>
bool runUntil(ManualRunLoop& loop, Done done) {
    for (int i = 0; i < 200 && !done(); ++i)
        if (loop.waitForPosts(10ms)) loop.runUntilIdle();
    return done();
}

// BGR of the still's pixel at (x, y).
std::array<int, 3> bgr(const Image& image, int x, int y) {
    const std::uint8_t* p = image.bitmap().row(y) + 4 * x;
    return {p[0], p[1], p[2]};
}

TEST(GstCameraPickerTest, LiveFramesAreSmallAndConvertedOnceWhileTheStillHasTheSourcesFullSizeAndPixels) {
    ManualRunLoop loop;
    // Seven colour bars from white to blue, larger than the live view needs.
    GstCameraPicker camera(
        loop, {testSource("videotestsrc pattern=smpte ! video/x-raw,width=1400,height=1000")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    EXPECT_TRUE(camera.isSourceAvailable());
    EXPECT_FALSE(camera.problem());
    EXPECT_EQ(camera.sourceSize(), (std::pair{1400, 1000}));
    EXPECT_TRUE(camera.isCameraDeviceAvailable(CameraPicker::Device::kRear));
    EXPECT_FALSE(camera.isCameraDeviceAvailable(CameraPicker::Device::kFront));
    EXPECT_FALSE(camera.isFlashAvailable(CameraPicker::Device::kRear));  // a test source has none

    // The live view: scaled into the preview box with the source's shape, and
    // asking twice for the same frame converts nothing again.
    const Image frame = camera.previewFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame.width(), GstCameraPicker::kPreviewBox);
    EXPECT_NEAR(frame.height(), GstCameraPicker::kPreviewBox * 1000 / 1400, 1);
    EXPECT_EQ(frame.orientation(), Image::kUp);
    EXPECT_GE(camera.previewFramesConverted(), 1);
    EXPECT_EQ(camera.stillsConverted(), 0);  // the still branch converts nothing until asked

    std::vector<Image> stills;
    camera.takePicture([&](const Image& picture) { stills.push_back(picture); });
    ASSERT_TRUE(runUntil(loop, [&] { return !stills.empty(); }));
    ASSERT_EQ(stills.size(), 1u);
    const Image& still = stills[0];
    ASSERT_TRUE(still);
    EXPECT_EQ(still.width(), 1400);
    EXPECT_EQ(still.height(), 1000);
    // A test source says nothing of its mounting: its frames are upright as they come.
    EXPECT_EQ(camera.mountRotation(), 0);
    EXPECT_EQ(still.orientation(), Image::kUp);
    EXPECT_EQ(camera.stillsConverted(), 1);
    // The bars: white, yellow, cyan, green, magenta, red, blue.
    const std::array<std::array<int, 3>, 7> bars{{{255, 255, 255}, {0, 255, 255}, {255, 255, 0},
                                                  {0, 255, 0}, {255, 0, 255}, {0, 0, 255},
                                                  {255, 0, 0}}};
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        const auto seen = bgr(still, 100 + 200 * static_cast<int>(bar), 300);
        for (std::size_t c = 0; c < 3; ++c) EXPECT_NEAR(seen[c], bars[bar][c], 3) << "bar " << bar;
    }
    // Mounted a quarter turn (--camera-rotation 90): the still says so, and
    // the live view's frames come turned, portrait.
    camera.setMountRotation(90);
    camera.takePicture([&](const Image& picture) { stills.push_back(picture); });
    ASSERT_TRUE(runUntil(loop, [&] { return stills.size() == 2; }));
    EXPECT_EQ(stills[1].orientation(), Image::kRight);
    EXPECT_EQ(stills[1].width(), 1400);  // the pixels as the sensor gives them
    EXPECT_EQ(camera.stillsConverted(), 2);
    EXPECT_TRUE(runUntil(loop, [&] { return camera.previewFrame().height() == GstCameraPicker::kPreviewBox; }))
        << camera.previewFrame().width() << "x" << camera.previewFrame().height();
}

// The BGR of the live frame's pixel at a fraction of its width, half way down.
std::array<int, 3> liveAt(GstCameraPicker& camera, double x) {
    const Image frame = camera.previewFrame();
    return bgr(frame, static_cast<int>(x * (frame.width() - 1)), frame.height() / 2);
}

// How the live view's frames come for each mounting and mirror: the SMPTE
// bars run white (left) to blue (right) upright; turned a quarter clockwise
// they run white (top) to blue (bottom).
TEST(GstCameraPickerTest, LiveFramesComeTurnedByTheMountingAndTheScreenAndMirroredWhenAsked) {
    ManualRunLoop loop;
    GstCameraPicker camera(
        loop, {testSource("videotestsrc pattern=smpte ! video/x-raw,width=640,height=480")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    const std::array<int, 3> white{255, 255, 255}, blue{255, 0, 0};
    auto near = [](std::array<int, 3> a, std::array<int, 3> b) {
        for (std::size_t c = 0; c < 3; ++c)
            if (std::abs(a[c] - b[c]) > 8) return false;
        return true;
    };
    struct Case {
        int mount, screen;
        bool mirrored;
        int width, height;
        bool whiteFirst;  // along the frame's width (landscape) or down its height (portrait)
    };
    const Case cases[] = {
        {0, 0, false, 640, 480, true},   {0, 0, true, 640, 480, false},
        {90, 0, false, 480, 640, true},  {270, 0, false, 480, 640, false},
        {180, 0, false, 640, 480, false}, {180, 0, true, 640, 480, true},
        {90, 270, false, 640, 480, true}, {0, 90, true, 480, 640, true},
    };
    for (const Case& c : cases) {
        camera.setMountRotation(c.mount);
        camera.setPreviewOrientation(c.screen, c.mirrored);
        // A few frames on, none of them flipped the old way is left.
        const long before = camera.previewFramesConverted();
        const bool shaped = runUntil(loop, [&] {
            const Image frame = camera.previewFrame();
            return camera.previewFramesConverted() >= before + 3 && frame.width() == c.width &&
                   frame.height() == c.height;
        });
        ASSERT_TRUE(shaped) << c.mount << " " << c.screen;
        const Image frame = camera.previewFrame();
        const bool portrait = frame.height() > frame.width();
        auto at = [&](double f) {
            return portrait ? bgr(frame, frame.width() / 2, static_cast<int>(f * (frame.height() - 1)))
                            : liveAt(camera, f);
        };
        const double first = 0.05, last = 0.95;
        EXPECT_TRUE(near(at(first), c.whiteFirst ? white : blue)) << c.mount << " " << c.screen << " " << c.mirrored;
        EXPECT_TRUE(near(at(last), c.whiteFirst ? blue : white)) << c.mount << " " << c.screen << " " << c.mirrored;
    }
}

// A stream that carries its orientation (a source passing the sensor's
// mounting on) is believed; --camera-rotation still wins over it.
TEST(GstCameraPickerTest, TheStreamsOrientationTagIsTheMountingUnlessOverridden) {
    EXPECT_EQ(GstCameraPicker::rotationOfTag("rotate-90"), 90);
    EXPECT_EQ(GstCameraPicker::rotationOfTag("rotate-270"), 270);
    EXPECT_EQ(GstCameraPicker::rotationOfTag("flip-rotate-180"), 180);
    EXPECT_EQ(GstCameraPicker::rotationOfTag("rotate-45"), std::nullopt);
    EXPECT_EQ(GstCameraPicker::rotationOfTag(""), std::nullopt);

    ManualRunLoop loop;
    GstCameraPicker camera(
        loop, {testSource("videotestsrc pattern=smpte ! video/x-raw,width=640,height=480 ! "
                          "taginject tags=\"image-orientation=rotate-90\"")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    ASSERT_TRUE(runUntil(loop, [&] { return camera.mountRotation() == 90; }));
    EXPECT_TRUE(runUntil(loop, [&] { return camera.previewFrame().width() == 480; }));
    std::vector<Image> stills;
    camera.takePicture([&](const Image& picture) { stills.push_back(picture); });
    ASSERT_TRUE(runUntil(loop, [&] { return !stills.empty(); }));
    EXPECT_EQ(stills[0].orientation(), Image::kRight);
    camera.setMountRotation(0);
    EXPECT_EQ(camera.mountRotation(), 0);
    camera.setMountRotation(std::nullopt);
    EXPECT_EQ(camera.mountRotation(), 90);
}

// Stills reuse the memory of stills let go: three stills of television snow
// (new noise every frame), all held, each keep the noise they came with.
TEST(GstCameraPickerTest, StillsHeldTogetherKeepTheirOwnPixels) {
    ManualRunLoop loop;
    GstCameraPicker camera(loop, {testSource("videotestsrc pattern=snow ! video/x-raw,width=640,height=480")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    auto sum = [](const Image& image) {
        std::uint64_t total = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width() * 4; ++x) total = total * 31 + image.bitmap().row(y)[x];
        return total;
    };
    std::vector<Image> stills;
    std::vector<std::uint64_t> sums;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) stills.erase(stills.begin());  // its block serves the third
        camera.takePicture([&](const Image& picture) {
            stills.push_back(picture);
            sums.push_back(sum(picture));
        });
        ASSERT_TRUE(runUntil(loop, [&] { return sums.size() == static_cast<std::size_t>(i) + 1; }));
    }
    ASSERT_EQ(stills.size(), 2u);
    EXPECT_EQ(sum(stills[0]), sums[1]);
    EXPECT_EQ(sum(stills[1]), sums[2]);
    EXPECT_NE(sums[1], sums[2]);
    EXPECT_NE(sums[0], sums[2]);
}

TEST(GstCameraPickerTest, LiveFramesAreScaledOnlyWhenMuchLargerThanTheLiveViewDrawsThem) {
    ManualRunLoop loop;
    GstCameraPicker camera(loop, {testSource("videotestsrc ! video/x-raw,width=1280,height=720")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    auto frameIs = [&](int width, int height) {
        return runUntil(loop, [&] {
            const Image frame = camera.previewFrame();
            return frame.width() == width && frame.height() == height;
        });
    };
    // A portrait live view 200 x 267 pixels: covered by a 16:9 frame 267
    // high, under half the source's size.
    camera.setPreviewPixels(200, 267);
    EXPECT_TRUE(frameIs(475, 267)) << camera.previewFrame().width();
    // 400 x 534, covered at 0.74 of the source: its own frames, untouched.
    camera.setPreviewPixels(400, 534);
    EXPECT_TRUE(frameIs(1280, 720)) << camera.previewFrame().width();
    camera.setPreviewPixels(200, 267);
    EXPECT_TRUE(frameIs(475, 267)) << camera.previewFrame().width();
    // Larger than the source: the source's own frames, not enlarged.
    camera.setPreviewPixels(2000, 1500);
    EXPECT_TRUE(frameIs(1280, 720)) << camera.previewFrame().width();
}

TEST(GstCameraPickerTest, ASourceThatCannotStartOrEndsLeavesNoCameraAndAnswersStillsEmpty) {
    ManualRunLoop loop;
    {
        GstCameraPicker camera(loop, {testSource("nosuchkestrelsrc")});
        EXPECT_FALSE(camera.start());
        EXPECT_FALSE(camera.isSourceAvailable());
        ASSERT_TRUE(camera.problem());
        EXPECT_NE(camera.problem()->find("nosuchkestrelsrc"), std::string::npos) << *camera.problem();
        EXPECT_FALSE(camera.previewFrame());
        int answers = 0;
        camera.takePicture([&](const Image& picture) { answers += picture ? 100 : 1; });
        EXPECT_EQ(answers, 0);  // on a later turn of the loop, not inside the call
        loop.runUntilIdle();
        EXPECT_EQ(answers, 1);
    }
    {
        // A device that is not there fails as the pipeline starts.
        GstCameraPicker camera(loop, {testSource("v4l2src device=/nonexistent/video9")});
        EXPECT_FALSE(camera.start());
        ASSERT_TRUE(camera.problem());
        EXPECT_NE(camera.problem()->find("/nonexistent/video9"), std::string::npos) << *camera.problem();
    }
    {
        // A source that ends: the camera stops, says why and tells its observer once.
        GstCameraPicker camera(
            loop, {testSource("videotestsrc num-buffers=4 ! video/x-raw,width=64,height=48")});
        int changes = 0;
        camera.setAvailabilityObserver([&] { ++changes; });
        camera.start();  // may already have ended: the end still comes by the loop
        ASSERT_TRUE(runUntil(loop, [&] { return changes > 0; }));
        EXPECT_EQ(changes, 1);
        EXPECT_FALSE(camera.isSourceAvailable());
        ASSERT_TRUE(camera.problem());
        EXPECT_NE(camera.problem()->find("end of stream"), std::string::npos);
        EXPECT_FALSE(camera.previewFrame());
    }
    loop.runUntilIdle();  // posts left by cameras that are gone reach nobody
}

TEST(GstCameraPickerTest, AStillAskedForAsTheSourceEndsIsAnsweredEmptyOnce) {
    ManualRunLoop loop;
    // Frames come at the source's own pace (live), slowly enough for the
    // still to be asked for before the end.
    GstCameraPicker camera(loop, {testSource("videotestsrc is-live=true num-buffers=3 ! "
                                             "video/x-raw,width=64,height=48,framerate=5/1")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    std::vector<Image> answers;
    camera.takePicture([&](const Image& picture) { answers.push_back(picture); });
    ASSERT_TRUE(runUntil(loop, [&] { return !camera.isSourceAvailable(); }));
    loop.runUntilIdle();
    // Either the next frame or, had none come, an empty answer: exactly one.
    ASSERT_EQ(answers.size(), 1u);
    if (answers[0]) {
        EXPECT_EQ(answers[0].width(), 64);
    }
    // The time-out that was waiting for it is gone with it.
    loop.advance(GstCameraPicker::kStillTimeout + 1);
    EXPECT_EQ(answers.size(), 1u);
}

TEST(GstCameraPickerTest, BackAndFrontAreTheSourcesFacings) {
    ManualRunLoop loop;
    GstCameraPicker camera(
        loop, {testSource("videotestsrc pattern=black ! video/x-raw,width=64,height=48"),
               testSource("videotestsrc pattern=white ! video/x-raw,width=32,height=24",
                          CameraSource::Facing::kFront)});
    ASSERT_TRUE(camera.start());
    EXPECT_TRUE(camera.isCameraDeviceAvailable(CameraPicker::Device::kFront));
    EXPECT_EQ(camera.sourceSize(), (std::pair{64, 48}));
    int told = 0;
    camera.setAvailabilityObserver([&] { ++told; });
    // The switch answers at once; the other camera starts in the background
    // and says when it is there.
    camera.setCameraDevice(CameraPicker::Device::kFront);
    EXPECT_EQ(camera.cameraDevice(), CameraPicker::Device::kFront);
    EXPECT_TRUE(camera.isStarting());
    EXPECT_FALSE(camera.isSourceAvailable());
    ASSERT_TRUE(runUntil(loop, [&] { return camera.isSourceAvailable(); }));
    EXPECT_FALSE(camera.isStarting());
    EXPECT_GE(told, 1);
    EXPECT_EQ(camera.sourceSize(), (std::pair{32, 24}));
    const Image frame = camera.previewFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(bgr(frame, 1, 1)[0], 255);  // the white one
}

TEST(GstCameraPickerTest, ACameraThatNeverGivesAFrameStopsStartingAfterTheBoundAndSaysWhy) {
    ManualRunLoop loop;
    // A live source held before its first frame: it never comes.
    GstCameraPicker camera(loop, {testSource("videotestsrc is-live=true ! video/x-raw,width=64,"
                                             "height=48 ! valve drop=true")});
    int told = 0;
    camera.setAvailabilityObserver([&] { ++told; });
    ASSERT_TRUE(camera.startInBackground(std::chrono::milliseconds(10000)));
    EXPECT_TRUE(camera.isStarting());
    loop.advance(9.9);  // the loop runs on while the camera starts
    EXPECT_TRUE(camera.isStarting());
    EXPECT_EQ(told, 0);
    loop.advance(0.2);
    EXPECT_FALSE(camera.isStarting());
    EXPECT_FALSE(camera.isSourceAvailable());
    EXPECT_EQ(told, 1);
    ASSERT_TRUE(camera.problem());
    EXPECT_NE(camera.problem()->find("within 10000 ms"), std::string::npos) << *camera.problem();
}

TEST(GstCameraPickerTest, TellsOfNewFramesOnTheLoopOnePostAtATimeWhileObserved) {
    ManualRunLoop loop;
    GstCameraPicker camera(loop, {testSource("videotestsrc ! video/x-raw,width=320,height=240,"
                                             "framerate=100/1")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    // No one observes: nothing is posted for the frames.
    const long unobserved = camera.previewFramesConverted();
    ASSERT_TRUE(runUntil(loop, [&] { return camera.previewFramesConverted() > unobserved + 5; }));
    EXPECT_FALSE(loop.waitForPosts(0ms));

    int told = 0;
    camera.setFrameObserver([&] { ++told; });
    ASSERT_TRUE(runUntil(loop, [&] { return told >= 3; }));
    // Frames that came while the loop did not look were told of once.
    const long converted = camera.previewFramesConverted();
    const int before = told;
    // The streaming thread goes on while the loop does not run (two seconds at the most).
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (camera.previewFramesConverted() < converted + 5 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_GE(camera.previewFramesConverted(), converted + 5);
    loop.runUntilIdle();
    EXPECT_EQ(told, before + 1);

    camera.setFrameObserver(nullptr);
    loop.runUntilIdle();  // a post already on its way
    const int stopped = told;
    const long later = camera.previewFramesConverted();
    ASSERT_TRUE(runUntil(loop, [&] { return camera.previewFramesConverted() > later + 5; }));
    EXPECT_EQ(told, stopped);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The frames kept while a mode waits: a still of a moment just past is the
// source's frame of that moment, at full size, converted only when chosen.
TEST(GstCameraPickerKeptFramesTest, AStillOfAMomentJustPastIsThatMomentsFrame) {
    ManualRunLoop loop;
    GstCameraPicker camera(loop, {testSource("videotestsrc is-live=true pattern=ball ! "
                                             "video/x-raw,format=I420,width=480,height=360,framerate=30/1")});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    FrameRing::Budget budget;
    budget.span = RunLoop::seconds(1.0);
    camera.keepRecentFrames(budget, true);
    EXPECT_TRUE(camera.keepsRecentFrames());
    // About two thirds of a second of frames (the loop's clock stands still;
    // the camera's does not).
    const auto since = std::chrono::steady_clock::now();
    runUntil(loop, [&] { return std::chrono::steady_clock::now() - since > 700ms; });

    struct Case {
        const char* what;
        CameraPicker::StillChoice choice;
    };
    CameraPicker::StillChoice nearest;
    nearest.rule = CameraPicker::StillChoice::Rule::kNearest;
    nearest.moment = loop.now() - RunLoop::seconds(0.3);
    CameraPicker::StillChoice sharpest;
    sharpest.rule = CameraPicker::StillChoice::Rule::kSharpest;
    sharpest.from = loop.now() - RunLoop::seconds(0.5);
    sharpest.to = loop.now() - RunLoop::seconds(0.2);
    for (const Case& c : {Case{"nearest", nearest}, Case{"sharpest", sharpest}}) {
        SCOPED_TRACE(c.what);
        Image still;
        std::optional<RunLoop::Duration> frameTime;
        camera.takeStill(c.choice, [&](const Image& picture, std::optional<RunLoop::Duration> time) {
            still = picture;
            frameTime = time;
        });
        // A bound of 10 s: under an emulated processor the conversion is slow.
        for (int i = 0; i < 1000 && !still; ++i)
            if (loop.waitForPosts(10ms)) loop.runUntilIdle();
        ASSERT_TRUE(still);
        EXPECT_EQ(still.width(), 480);
        EXPECT_EQ(still.height(), 360);
        ASSERT_TRUE(frameTime);
        if (c.choice.rule == CameraPicker::StillChoice::Rule::kNearest) {
            EXPECT_LE(std::chrono::abs(*frameTime - c.choice.moment), RunLoop::seconds(1.0 / 30 + 0.01));
        } else {
            EXPECT_GE(*frameTime, c.choice.from - RunLoop::seconds(0.001));
            EXPECT_LE(*frameTime, c.choice.to + RunLoop::seconds(0.001));
        }
    }
    EXPECT_EQ(camera.stillsFromKeptFrames(), 2);
    EXPECT_EQ(camera.stillsConverted(), 0);  // the still branch was never opened
    camera.keepRecentFrames(std::nullopt, false);
    EXPECT_FALSE(camera.keepsRecentFrames());
}

}  // namespace
}  // namespace kestrel
