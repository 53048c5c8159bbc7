#include "adapters/qt/QtLocationManager.h"

#include "core/platform/ManualRunLoop.h"
#include "support/QtApplication.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class Recorder final : public LocationManager::Delegate {
public:
    void didUpdateToLocation(const GeoPosition&) override { ++fixes; }
    void didFailWithError() override { ++failures; }
    int fixes = 0;
    int failures = 0;
};

TEST(QtLocationManagerTest, WithoutAServiceItFailsInsteadOfWaiting) {
    test::qtApplication();
    ManualRunLoop loop;
    QtLocationManager manager(loop);
    Recorder recorder;
    manager.setDelegate(&recorder);
    manager.startUpdatingLocation();
    if (manager.locationServicesEnabled()) {
        // A service exists here but gives no position to a test: the timeout answers.
        loop.advance(QtLocationManager::kTimeout + 0.1);
        EXPECT_EQ(recorder.fixes + recorder.failures >= 1, true);
    } else {
        EXPECT_EQ(recorder.failures, 1);  // at once
    }
    EXPECT_EQ(recorder.fixes, 0);
}

}  // namespace
}  // namespace kestrel
