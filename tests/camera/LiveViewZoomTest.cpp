#include "core/camera/LiveViewZoom.h"

#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "sim/SimulatedCamera.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

constexpr int kTiltBuild = 40200;

// The tilt build has no digital zoom but an anchored crop: the live preview
// is shifted down for the picture's ratio and never scaled, whatever zoom is
// asked; a ratio without a shift of its own leaves the preview where it is.
TEST(LiveViewZoomTest, WithTiltThePreviewIsShiftedForTheRatioNeverScaled) {
    ApplicationId::setId(kTiltBuild);
    test::MemoryStore store;
    Camera1Data record(store);
    record.setMode(Camera1Data::kStandard);
    record.setDigitalZoom(true);
    ManualRunLoop loop;
    SimulatedCamera camera(loop);
    CameraZoomView readout;
    LiveViewZoom zoom(camera, readout, [] { return 1; });
    const std::pair<int, Point> shifts[] = {
        {0, Point{0, 92.5f}}, {1, Point{0, 122.5f}}, {2, Point{0, 52.5f}}, {3, Point{0, 0}}};
    for (const auto& [ratio, shift] : shifts) {
        SCOPED_TRACE(ratio);
        record.setRatio(ratio);
        camera.setPreviewTranslation(Point{0, 0});
        zoom.zoomTo(3.0);
        EXPECT_EQ(camera.previewTranslation(), shift);
        EXPECT_DOUBLE_EQ(camera.previewScale(), 1.0);
        EXPECT_FLOAT_EQ(zoom.factor(), 1.0f);
        EXPECT_EQ(readout.label().text(), "1.0X");
    }
    ApplicationId::setId(0);
}

}  // namespace
}  // namespace kestrel
