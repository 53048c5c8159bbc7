#include "core/camera/PinchZoom.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

TEST(PinchZoomTest, TheZoomFollowsTheScaleWithinOneToFourAndTurnsBackAtOnceFromAnEnd) {
    const struct {
        const char* name;
        double start;
        std::vector<double> scales;
        std::vector<double> zooms;
    } cases[] = {
        {"apart and back", 1.0, {1.0, 1.5, 2.0, 1.0}, {1.0, 1.5, 2.0, 1.0}},
        {"from a zoom already set", 2.0, {1.5, 0.75}, {3.0, 1.5}},
        {"past four, and back from there at once", 2.0, {2.0, 3.0, 2.4}, {4.0, 4.0, 3.2}},
        {"past one, and back from there at once", 2.0, {0.5, 0.25, 0.5}, {1.0, 1.0, 2.0}},
        {"a start outside the range is brought into it", 6.0, {1.0, 0.5}, {4.0, 2.0}},
        {"a scale of nothing changes nothing", 2.0, {0.0, -1.0}, {2.0, 2.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinchZoom zoom;
        zoom.begin(c.start);
        std::vector<double> got;
        for (const double scale : c.scales)
            got.push_back(zoom.zoomFor(scale));
        ASSERT_EQ(got.size(), c.zooms.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_DOUBLE_EQ(got[i], c.zooms[i]) << i;
    }
}

}  // namespace
}  // namespace kestrel
