#include "core/imaging/ImageFile.h"
#include "core/platform/ManualRunLoop.h"
#include "sim/SimulatedCamera.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::TestImages;

TEST(SimulatedCameraTest, StillsArriveAfterTheShutterLagInTheDevicesOrientation) {
    ManualRunLoop loop;
    int held = 1;
    SimulatedCamera camera(
        loop, [&] { return held; }, 640, 480);
    std::vector<Image> pictures;
    camera.takePicture([&](const Image& picture) { pictures.push_back(picture); });
    loop.advance(RunLoop::seconds(SimulatedCamera::kShutterLag) - RunLoop::Duration(1));
    EXPECT_TRUE(pictures.empty());
    loop.advance(RunLoop::Duration(1));
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].width(), 640);
    EXPECT_EQ(pictures[0].height(), 480);
    EXPECT_EQ(pictures[0].orientation(), Image::kRight);  // upright: a quarter turn
    held = 3;
    camera.takePicture([&](const Image& picture) { pictures.push_back(picture); });
    loop.advance(1.0);
    EXPECT_EQ(pictures[1].orientation(), Image::kUp);
    EXPECT_EQ(camera.picturesTaken(), 2);
    EXPECT_EQ(SimulatedCamera::orientationFor(2), Image::kLeft);
    EXPECT_EQ(SimulatedCamera::orientationFor(4), Image::kDown);
}

TEST(SimulatedCameraTest, TheSceneHasDetailTimeAndAMovingObject) {
    ManualRunLoop loop;
    SimulatedCamera camera(loop);
    const Image first = camera.render(320, 240);
    EXPECT_EQ(TestImages::maxDifference(first, camera.render(320, 240)), 0);  // deterministic
    camera.moveObject(0.3);
    const Image moved = camera.render(320, 240);
    EXPECT_GT(TestImages::maxDifference(first, moved), 100);
    loop.advance(7.0);  // the clock moves on
    EXPECT_GT(TestImages::maxDifference(moved, camera.render(320, 240)), 50);
    camera.setCameraDevice(CameraPicker::Device::kFront);
    EXPECT_GT(TestImages::maxDifference(moved, camera.render(320, 240)), 50);
    EXPECT_EQ(camera.previewFrame().size(), (Size{480, 640}));  // held upright: a portrait preview
    // Not a flat picture: the JPEG of a still is of a real photo's order.
    const Image still = camera.render(SimulatedCamera::kStillWidth, SimulatedCamera::kStillHeight);
    EXPECT_EQ(still.width(), 2592);
}

TEST(SimulatedCameraTest, TellsOfItsFramesAtItsFrameRateWhileObservedOnly) {
    ManualRunLoop loop;
    SimulatedCamera camera(loop, nullptr, 640, 480);
    EXPECT_EQ(loop.pendingTimers(), 0u);  // no one observes: no frame clock
    int frames = 0;
    camera.setFrameObserver([&] { ++frames; });
    const auto frame = RunLoop::seconds(1 / SimulatedCamera::kFrameRate);
    loop.advance(frame - RunLoop::Duration(1));
    EXPECT_EQ(frames, 0);
    loop.advance(RunLoop::Duration(1));
    EXPECT_EQ(frames, 1);
    loop.advance(1.0);
    EXPECT_EQ(frames, 1 + static_cast<int>(SimulatedCamera::kFrameRate));
    camera.setFrameObserver(nullptr);
    EXPECT_EQ(loop.pendingTimers(), 0u);
    loop.advance(1.0);
    EXPECT_EQ(frames, 1 + static_cast<int>(SimulatedCamera::kFrameRate));
    // An observer that stops observing when told is told once.
    camera.setFrameObserver([&] {
        ++frames;
        camera.setFrameObserver(nullptr);
    });
    loop.advance(1.0);
    EXPECT_EQ(frames, 2 + static_cast<int>(SimulatedCamera::kFrameRate));
}

}  // namespace
}  // namespace kestrel
