#include "adapters/linux/IioAccelerometer.h"

#include "core/platform/ManualRunLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
}

// A sysfs tree with a light sensor first and an accelerometer second.
class IioAccelerometerTest : public ::testing::Test {
protected:
    IioAccelerometerTest() {
        write(dir / "iio:device0/in_illuminance_raw", "300");
        accel = dir.path() / "iio:device1";
        write(accel / "name", "test-accel");
        // Held upright: the sensor's own axes are turned, +1 g on its x axis.
        write(accel / "in_accel_x_raw", "1000");
        write(accel / "in_accel_y_raw", "-12");
        write(accel / "in_accel_z_raw", "0");
        write(accel / "in_accel_scale", "0.009806650");
        write(accel / "in_accel_y_offset", "12");
        write(accel / "in_accel_mount_matrix", "0, 1, 0; 1, 0, 0; 0, 0, 1");
    }
    test::TempDir dir;
    std::filesystem::path accel;
    ManualRunLoop loop;
};

TEST_F(IioAccelerometerTest, FindsTheAccelerometerAndDeliversGInKestrelsFrame) {
    std::string error;
    const auto sensor = IioAccelerometer::find(loop, dir.path(), &error);
    ASSERT_NE(sensor, nullptr) << error;
    EXPECT_EQ(sensor->device(), accel);
    std::vector<std::array<float, 3>> samples;
    sensor->setDelegate([&](float x, float y, float z) { samples.push_back({x, y, z}); });
    sensor->setUpdateInterval(0.1);
    loop.advance(0.35);
    ASSERT_EQ(samples.size(), 3u);
    // (1000 + 0) × 0.0098 m/s² = 9.8 m/s² = 1 g on the sensor's x, which the
    // mount matrix makes the device's y; upright reads y ≈ -1 g.
    EXPECT_NEAR(samples[0][0], 0.0f, 1e-6);
    EXPECT_NEAR(samples[0][1], -1.0f, 1e-6);
    EXPECT_NEAR(samples[0][2], 0.0f, 1e-6);
    // A reading that fails is skipped, and the next good one delivered.
    write(accel / "in_accel_z_raw", "garbage");
    loop.advance(0.1);
    EXPECT_EQ(samples.size(), 3u);
    write(accel / "in_accel_z_raw", "-500");
    write(accel / "in_accel_z_scale", "0.01961330");  // a channel's own scale wins
    loop.advance(0.1);
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_NEAR(samples[3][2], 1.0f, 1e-5);  // face up
    sensor->setDelegate(nullptr);
    loop.advance(1.0);
    EXPECT_EQ(samples.size(), 4u);
}

TEST_F(IioAccelerometerTest, MissingDevicesAndMalformedMatrices) {
    std::string error;
    EXPECT_EQ(IioAccelerometer::find(loop, dir / "nowhere", &error), nullptr);
    EXPECT_FALSE(error.empty());
    std::filesystem::remove(accel / "in_accel_z_raw");
    EXPECT_EQ(IioAccelerometer::find(loop, dir.path(), &error), nullptr);
    EXPECT_NE(error.find("no IIO accelerometer"), std::string::npos);
    EXPECT_EQ(IioAccelerometer::parseMountMatrix("1, 0, 0; 0, 1, 0; 0, 0, 1"),
              (IioAccelerometer::Matrix{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(IioAccelerometer::parseMountMatrix("-1, 0, 0; 0, 0.5, 0; 0, 0, 1")->at(4), 0.5);
    for (const char* bad : {"", "1, 0, 0; 0, 1, 0", "1, 0; 0, 1, 0; 0, 0, 1, 0",
                            "1, x, 0; 0, 1, 0; 0, 0, 1", "1, 0, 0; 0, 1, 0; 0, 0, 1; 1, 1, 1"})
        EXPECT_FALSE(IioAccelerometer::parseMountMatrix(bad)) << bad;
}

}  // namespace
}  // namespace kestrel
