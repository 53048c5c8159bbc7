#include "adapters/qt/QtCameraPicker.h"

#include "core/platform/ManualRunLoop.h"
#include "support/QtApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

TEST(QtCameraPickerTest, WithoutACameraItSaysSoAndAnswersAtOnce) {
    test::qtApplication();
    ManualRunLoop loop;
    QtCameraPicker camera(loop);
    if (camera.isSourceAvailable()) GTEST_SKIP() << "this machine has a camera";
    ASSERT_TRUE(camera.problem());
    EXPECT_EQ(*camera.problem(), "No camera found");
    EXPECT_FALSE(camera.isCameraDeviceAvailable(CameraPicker::Device::kRear));
    EXPECT_FALSE(camera.previewFrame());
    int answers = 0;
    bool empty = false;
    camera.takePicture([&](const Image& picture) {
        ++answers;
        empty = !picture;
    });
    loop.runUntilIdle();
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(empty);
    // A QImage becomes a picture in the working layout, with the orientation given.
    QImage frame(4, 2, QImage::Format_ARGB32);
    frame.fill(QColor(10, 20, 30));
    const Image picture = QtCameraPicker::toImage(frame, Image::kRight);
    EXPECT_EQ(picture.width(), 4);
    EXPECT_EQ(picture.orientation(), Image::kRight);
    EXPECT_EQ(picture.bitmap().data()[0], 30);  // blue first
    EXPECT_EQ(picture.bitmap().data()[2], 10);
}

}  // namespace
}  // namespace kestrel
