#include "core/app/KestrelApp.h"
#include "core/camera/CameraHoverView.h"
#include "core/imaging/ImageUtils.h"
#include "core/imaging/JpegCodec.h"
#include "core/modes/CameraStabilizerHandler.h"
#include "core/platform/AbsentAccelerometer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/Timer.h"
#include "core/sensors/PictureSteadiness.h"
#include "core/ui/ImageView.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/JpegBytes.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// The live view's frames as a webcam or the simulated camera gives them:
// 640 × 480 at 30 a second. Polled ten times a second, consecutive
// snapshots are three frames apart.
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr int kFramesPerPoll = 3;
constexpr double kPoll = 1.0 / CameraStabilizerHandler::kPicturePolls;

// A scene: the live frame at poll `n`.
using Scene = std::function<Image(int n)>;

// A real photo from the samples the build fetches, wider than a frame so
// that it can be panned.
Image samplePhoto(int width) {
    const std::filesystem::path path = test::testPaths().samplesDir / "large_image.jpg";
    if (!std::filesystem::exists(path)) {
        ADD_FAILURE() << path << " is missing: run scripts/fetch-samples.sh";
        return Image();
    }
    const auto photo = JpegCodec::decode(test::JpegBytes::read(path));
    if (!photo) {
        ADD_FAILURE() << path << " does not decode";
        return Image();
    }
    return ImageUtils::drawPosterImage(*photo, Size{static_cast<float>(width), kFrameHeight});
}

// The frame-sized window of `picture` whose left edge is at `x`.
Image window(const Image& picture, int x) {
    return ImageUtils::drawRect(Rect{static_cast<float>(x), 0, kFrameWidth, kFrameHeight}, picture);
}

// `picture` with seeded Gaussian noise of `sigma` levels on every channel:
// a camera's sensor noise, new in every frame.
Image withNoise(const Image& picture, double sigma, std::uint32_t seed) {
    // Draws from a table of normal samples at seeded places: the same noise
    // as drawing each, a tenth of the time.
    static const std::vector<double> normal = [] {
        std::mt19937 generator(1);
        std::normal_distribution<double> draw(0, 1);
        std::vector<double> table(1 << 16);
        for (double& v : table)
            v = draw(generator);
        return table;
    }();
    std::minstd_rand place(seed + 1);
    const Bitmap& in = picture.bitmap();
    Bitmap out(in.width(), in.height());
    for (int y = 0; y < in.height(); ++y) {
        const std::uint8_t* from = in.row(y);
        std::uint8_t* to = out.row(y);
        for (int i = 0; i < 4 * in.width(); ++i) {
            const double noise = sigma * normal[place() & 0xFFFF];
            to[i] = static_cast<std::uint8_t>(
                std::clamp(static_cast<long>(std::lround(from[i] + noise)), 0L, 255L));
        }
    }
    return Image(std::move(out));
}

// Colour bars, as a test-pattern source shows them.
Image bars() {
    const Rgb colours[] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192}, {0, 192, 0},
                           {192, 0, 192},   {192, 0, 0},   {0, 0, 192}};
    return TestImages::make(kFrameWidth, kFrameHeight,
                            [&](int x, int) { return colours[x * 7 / kFrameWidth]; });
}

constexpr double kMeasuredSeconds = 2.5;

// The snapshots of `scene` over kMeasuredSeconds.
std::vector<Image> snapshots(const Scene& scene) {
    std::vector<Image> frames;
    for (int n = 0; n * kPoll <= kMeasuredSeconds + 1e-9; ++n)
        frames.push_back(scene(n));
    return frames;
}

struct Measured {
    bool still = false;
    double stillAt = -1;  // seconds from the first snapshot
    float largest = 0;    // the largest change of any comparison
};

// The snapshots polled through the picture measure with `threshold`.
Measured measure(const std::vector<Image>& frames, float threshold) {
    PictureSteadiness steadiness;
    Measured m;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const double t = static_cast<double>(n) * kPoll;
        const bool still = steadiness.still(frames[n], RunLoop::seconds(t), threshold);
        if (const auto change = steadiness.lastChange()) m.largest = std::max(m.largest, *change);
        if (still && !m.still) {
            m.still = true;
            m.stillAt = t;
        }
    }
    return m;
}

// The stabilizer's three picture thresholds on scenes of each kind: what is
// still (a still picture, a real photo, the simulated camera's scene whose
// clock runs, a camera's noise) counts as still within the second and a
// bit, and what moves (a hand that drifts, a subject crossing) never does,
// at every sensitivity.
TEST(StillPictureStabilizerTest, TheThresholdsTellStillScenesFromMovingOnesAtEverySensitivity) {
    const Image photo = samplePhoto(kFrameWidth + 200);
    ASSERT_TRUE(photo);
    const Image still = window(photo, 100);
    ManualRunLoop loop;
    SimulatedCamera camera(loop);
    camera.setMountRotation(0);
    auto simulated = [&](SimulatedCamera::Scene scene) -> Scene {
        return [&, scene](int) {
            camera.setScene(scene);
            loop.advance(kPoll);
            return camera.previewFrame();
        };
    };
    // A white ball of radius 20 crossing the photo 10 pixels a frame, as a
    // test-pattern source's bouncing ball.
    auto ball = [&](int n) {
        const int cx = 40 + n * kFramesPerPoll * 10 % 560, cy = 240;
        return TestImages::make(kFrameWidth, kFrameHeight, [&](int x, int y) {
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= 400 ? Rgb{255, 255, 255}
                                                                    : TestImages::at(still, x, y);
        });
    };
    auto panned = [&](int pixelsPerFrame) -> Scene {
        return [&, pixelsPerFrame](int n) {
            return window(photo, (n * kFramesPerPoll * pixelsPerFrame) % 200);
        };
    };
    struct Case {
        const char* scene;
        Scene frames;
        bool isStill;
    };
    const Image testBars = bars();
    const Image small = ImageUtils::drawPosterImage(still, Size{320, 240});
    const Case cases[] = {
        {"colour bars", [&](int) { return testBars; }, true},
        {"a real photo", [&](int) { return still; }, true},
        {"the simulated camera's scene, its clock running",
         simulated(SimulatedCamera::Scene::kStill), true},
        {"a real photo with sensor noise of 4 levels",
         [&](int n) { return withNoise(still, 4, static_cast<std::uint32_t>(n)); }, true},
        {"a real photo with sensor noise of 8 levels",
         [&](int n) { return withNoise(still, 8, static_cast<std::uint32_t>(n)); }, true},
        {"a real photo with sensor noise of 16 levels",
         [&](int n) { return withNoise(still, 16, static_cast<std::uint32_t>(n)); }, true},
        {"a small camera's frames (not scaled down) with noise of 8 levels",
         [&](int n) { return withNoise(small, 8, static_cast<std::uint32_t>(n)); }, true},
        {"a real photo panned a pixel a frame", panned(1), false},
        {"a real photo panned two pixels a frame", panned(2), false},
        {"the simulated camera held in a hand", simulated(SimulatedCamera::Scene::kHandHeld),
         false},
        {"a ball crossing the photo", ball, false},
    };
    for (const Case& c : cases) {
        const std::vector<Image> frames = snapshots(c.frames);
        for (const float threshold : CameraStabilizerHandler::kPictureThresholds) {
            const Measured m = measure(frames, threshold);
            char figures[96];
            std::snprintf(figures, sizeof figures, "threshold %.4f: largest change %.4f",
                          static_cast<double>(threshold), static_cast<double>(m.largest));
            SCOPED_TRACE(std::string(c.scene) + ", " + figures);
            EXPECT_EQ(m.still, c.isStill);
            // Still: at the first poll the whole second allows (the first
            // snapshot only taken in, the second compared), noise or not.
            if (c.isStill) {
                EXPECT_NEAR(m.stillAt, 1.1, 1e-9);
            }
        }
    }
}

// The camera screen of a laptop on virtual time: no accelerometer, the
// simulated camera (whose scene is still but for its clock), Stabilizing.
class LaptopStabilizer {
public:
    explicit LaptopStabilizer(int maxWait = 0) {
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, none, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kStabilizing);
        app->settings().record().stablizer().setMaxWait(maxWait);
        app->camera().setTraceObserver([this](const std::string& event) {
            if (event == "picture requested") requested.push_back(loop.now());
            if (event.rfind("not steady within", 0) == 0) gaveUp = true;
        });
        app->start();
        loop.advance(0.5);
    }
    CameraStabilizerHandler& handler() {
        return dynamic_cast<CameraStabilizerHandler&>(*app->camera().handler());
    }
    // Presses the shutter; answers the time of the press.
    RunLoop::Duration press() {
        app->camera().shutter();
        return loop.now();
    }
    // Advances in steps of a frame (1/30 s), calling `eachFrame`, until a
    // picture is requested or `seconds` have passed.
    void runUntilPicture(
        double seconds, const std::function<void()>& eachFrame = [] {}) {
        const RunLoop::Duration until = loop.now() + RunLoop::seconds(seconds);
        while (requested.empty() && loop.now() < until) {
            eachFrame();
            loop.advance(1.0 / 30);
        }
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop};
    AbsentAccelerometer none;
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::vector<RunLoop::Duration> requested;
    bool gaveUp = false;
};

TEST(StillPictureStabilizerTest,
     WithoutAnAccelerometerAStillSceneIsPhotographedAfterItsStillSecond) {
    LaptopStabilizer laptop(10);
    CameraStabilizerHandler& handler = laptop.handler();
    EXPECT_TRUE(handler.measuresPicture());
    EXPECT_EQ(handler.unavailableReason(), std::nullopt);
    EXPECT_TRUE(laptop.app->cameraViews().saveLabel->hidden());  // nothing to say: it works
    const RunLoop::Duration pressed = laptop.press();
    EXPECT_EQ(handler.state(), CameraHandler::kSensing);
    // The sensing panel as with the accelerometer: shown, its picture, the
    // bar full while nothing is known yet.
    CameraHoverView& panel = *laptop.app->cameraViews().sensorView;
    EXPECT_FALSE(panel.hidden());
    laptop.loop.advance(kPoll);
    EXPECT_FLOAT_EQ(panel.indicatorView().level(), 1.0f);
    laptop.runUntilPicture(5.0);
    ASSERT_EQ(laptop.requested.size(), 1u);
    // Polls at 0.1 s: the first is taken in, the second compared, the 12th
    // ends the still second; the picture is asked for on the next turn.
    EXPECT_EQ(laptop.requested[0] - pressed, RunLoop::seconds(1.2));
    EXPECT_FALSE(laptop.gaveUp);
    ASSERT_TRUE(handler.decision());
    EXPECT_TRUE(handler.decision()->onPicture);
    EXPECT_FALSE(handler.decision()->maxWaitReached);
    EXPECT_EQ(handler.decision()->waited, RunLoop::seconds(1.2));
    // The clock's hand and its seconds change a little of the view: under
    // the threshold, not nothing.
    EXPECT_GT(handler.decision()->pictureChange, 0.0f);
    EXPECT_LT(handler.decision()->pictureChange, handler.pictureSensitivity());
}

TEST(StillPictureStabilizerTest, WithoutAnAccelerometerAMovingSceneWaitsForTheMaximumWait) {
    LaptopStabilizer laptop(5);
    laptop.camera.setScene(SimulatedCamera::Scene::kHandHeld);  // never held still
    const RunLoop::Duration pressed = laptop.press();
    laptop.runUntilPicture(4.9);
    EXPECT_TRUE(laptop.requested.empty());
    // How far from still the bar shows: over the threshold's reading.
    const IndicatorView& bar = laptop.app->cameraViews().sensorView->indicatorView();
    EXPECT_GT(bar.level(),
              laptop.handler().pictureSensitivity() * CameraStabilizerHandler::kLevelPerChange);
    laptop.runUntilPicture(1.0);
    ASSERT_EQ(laptop.requested.size(), 1u);
    EXPECT_GE(laptop.requested[0] - pressed, RunLoop::seconds(5.0));
    EXPECT_LE(laptop.requested[0] - pressed, RunLoop::seconds(5.0 + 2 * kPoll));
    EXPECT_TRUE(laptop.gaveUp);
    ASSERT_TRUE(laptop.handler().decision());
    EXPECT_TRUE(laptop.handler().decision()->maxWaitReached);
    // The picture comes as any other: received, processed, saved.
    laptop.loop.advance(0.5);
    ASSERT_TRUE(test::awaitPhotos(laptop.loop, laptop.app->camera()));
    EXPECT_EQ(laptop.camera.picturesTaken(), 1);
}

// With an accelerometer nothing changes: the device's steadiness decides, at
// twenty polls a second, whatever the picture does.
TEST(StillPictureStabilizerTest, WithAnAccelerometerThePictureIsNotWatched) {
    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera(loop);
    SimulatedAccelerometer tremor = std::move(*SimulatedAccelerometer::named(loop, "tremor"));
    test::RecordingSounds sounds;
    KestrelApp app(KestrelApp::Ports{loop, camera, tremor, sounds,
                                     std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                   test::appOptions(dir.path()));
    app.settings().record().setMode(Camera1Data::kStabilizing);
    app.start();
    loop.advance(0.5);
    auto& handler = dynamic_cast<CameraStabilizerHandler&>(*app.camera().handler());
    EXPECT_FALSE(handler.measuresPicture());
    EXPECT_DOUBLE_EQ(handler.getSensingInterval(), 20.0);
    int requested = 0;
    app.camera().setTraceObserver([&](const std::string& event) {
        if (event == "picture requested") ++requested;
        EXPECT_EQ(event.rfind("picture change", 0), std::string::npos) << event;
    });
    app.camera().shutter();
    loop.advance(5.0);  // a still scene, a trembling hand: no picture
    EXPECT_EQ(requested, 0);
}

// Moving without an accelerometer: the press says why on the save label and
// senses nothing (no panel, no pause button, no picture ever).
class TossWithoutAccelerometerTest : public test::HandlerFixture<test::ReadyingHost> {};

TEST_F(TossWithoutAccelerometerTest, APressSaysWhyAndSensesNothing) {
    CameraTossHandler toss;
    attach(toss);
    EXPECT_EQ(toss.unavailableReason(), std::nullopt);  // the host has one
    host.accelerometer = false;
    EXPECT_EQ(toss.unavailableReason(), "Moving needs an accelerometer");
    EXPECT_TRUE(toss.shutter());
    EXPECT_EQ(toss.state(), CameraHandler::kIdle);
    EXPECT_EQ(host.notices, 1);
    EXPECT_TRUE(host.panel.hidden());
    EXPECT_EQ(host.status->imageName(), "");
    EXPECT_NE(host.shutter.currentImage(), "pause.png");
    EXPECT_NE(std::find(host.events.begin(), host.events.end(), "no accelerometer: not sensing"),
              host.events.end());
    host.loop.advance(30.0);
    EXPECT_TRUE(host.requests.empty());
    // Each press says it again.
    toss.shutter();
    EXPECT_EQ(host.notices, 2);
    EXPECT_EQ(toss.state(), CameraHandler::kIdle);
}

}  // namespace
}  // namespace kestrel
