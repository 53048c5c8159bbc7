#include "devices/DeviceChoice.h"

#include "adapters/linux/IioAccelerometer.h"
#include "core/platform/ManualRunLoop.h"
#include "cli/CliContext.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kestrel {
namespace {

TEST(DeviceChoiceTest, EachDeviceIsRealWhenPresentUnlessSimulated) {
    test::TempDir dir;
    const auto device = dir / "iio:device0";
    std::filesystem::create_directories(device);
    for (const char* axis : {"x", "y", "z"})
        std::ofstream(device / (std::string("in_accel_") + axis + "_raw")) << "0\n";
    setenv("PULSE_SERVER", ("unix:" + (dir / "no-server").string()).c_str(), 1);
    ManualRunLoop loop;

    DeviceChoice::Options options;
    options.iioRoot = dir.path().string();
    DeviceChoice found(loop, options);
    EXPECT_NE(dynamic_cast<IioAccelerometer*>(found.takeAccelerometer().get()), nullptr);
    EXPECT_NE(found.takeMicrophone(), nullptr);  // none found: a simulated one
    ASSERT_GE(found.reports().size(), 2u);
    EXPECT_EQ(found.reports()[0].used, "IIO accelerometer at " + device.string());
    EXPECT_EQ(found.reports()[1].used, "simulated (quiet)");
    EXPECT_NE(found.reports()[1].found.find("none"), std::string::npos);

    options.simulate = true;
    DeviceChoice simulated(loop, options);
    EXPECT_EQ(dynamic_cast<IioAccelerometer*>(simulated.takeAccelerometer().get()), nullptr);
    EXPECT_EQ(simulated.reports()[0].found, found.reports()[0].found);  // still reported as found
    EXPECT_EQ(simulated.reports()[0].used, "simulated (steady)");

    // "none": there is none, and it says so, whatever is present.
    options.simulate = false;
    options.accel = "none";
    DeviceChoice told(loop, options);
    EXPECT_FALSE(told.takeAccelerometer()->isAvailable());
    EXPECT_EQ(told.reports()[0].used, "none");

    // Nothing found and nothing asked: none either, not a steady simulation.
    options.accel.clear();
    options.iioRoot = (dir / "no-iio").string();
    DeviceChoice absent(loop, options);
    EXPECT_FALSE(absent.takeAccelerometer()->isAvailable());
    EXPECT_EQ(absent.reports()[0].used, "none");
    options.simulate = true;  // --simulate: the steady simulation
    DeviceChoice simulatedAbsent(loop, options);
    EXPECT_TRUE(simulatedAbsent.takeAccelerometer()->isAvailable());
    EXPECT_EQ(simulatedAbsent.reports()[0].used, "simulated (steady)");

    const auto run = test::runCli({"devices", "--json"}, [&dir](cli::CliContext& context) {
        context.iioRoot = dir.path().string();
    });
    unsetenv("PULSE_SERVER");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"accelerometer\":{\"found\":\"IIO accelerometer at"),
              std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace kestrel
