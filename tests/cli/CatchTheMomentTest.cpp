#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace kestrel {
namespace {

struct StillFrame {
    double at = -1;         // the trace line's own time: when the still came
    double frame = -1;      // the frame's time
    double event = -1;      // the event's
    bool found = false;
};

// "    1.600 still frame at 1.500 s: +0 ms from the event at 1.500 s, -50 ms from the decision"
StillFrame stillFrameOf(const std::string& trace) {
    std::istringstream in(trace);
    StillFrame result;
    for (std::string line; std::getline(in, line);) {
        double fromEvent = 0;
        if (std::sscanf(line.c_str(), " %lf still frame at %lf s: %lf ms from the event at %lf s",
                        &result.at, &result.frame, &fromEvent, &result.event) == 4) {
            result.found = true;
            return result;
        }
    }
    return result;
}

double requestedAt(const std::string& trace) {
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);)
        if (line.find("picture requested") != std::string::npos) return std::stod(line);
    return -1;
}

TEST(CatchTheMomentTest, TheSoundModesPhotoIsTheFrameOfTheClap) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    auto shoot = [&] {
        return test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "5", "--mic",
                             "clap", "--dcim", (dir / "DCIM").string(), "--trace", "--max-time", "30"});
    };
    // On by default in the sound mode.
    auto run = shoot();
    ASSERT_EQ(run.status, 0) << run.err;
    const StillFrame still = stillFrameOf(run.out);
    ASSERT_TRUE(still.found) << run.out;
    const double decided = requestedAt(run.out);
    // The clap starts at 1.5 s; its loudest cycle ends within a cycle of it,
    // and the poll that hears it decides up to a poll later.
    EXPECT_NEAR(still.event, 1.5, 0.07);
    EXPECT_LE(std::abs(still.frame - still.event), 1.0 / 60 + 1e-3);  // the frame of the clap
    EXPECT_LT(still.frame, decided);                                     // from before the decision

    // Off: the next frame after the decision, a shutter's lag later.
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "sound catch the moment", "2"}).status,
              0);
    run = shoot();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(stillFrameOf(run.out).found) << run.out;
}

}  // namespace
}  // namespace kestrel
