#include "adapters/linux/CanberraSounds.h"
#include "support/TestPaths.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace kestrel {
namespace {

TEST(CanberraSoundsTest, WithoutASoundServerNothingPlaysAndNothingWaits) {
    test::TempDir dir;
    setenv("PULSE_SERVER", ("unix:" + (dir / "no-server").string()).c_str(), 1);
    {
        CanberraSounds sounds("pulse");  // the sound server's backend, with no server to reach
        EXPECT_EQ(sounds.registerSound(dir / "missing.wav"), 0u);
        const auto beep = sounds.registerSound(test::testPaths().resourcesDir / "beep.wav");
        ASSERT_NE(beep, 0u);
        const auto before = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i)
            sounds.play(beep);  // the count-down's ten beeps
        sounds.vibrate();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
        sounds.dispose(beep);
        sounds.play(beep);  // a disposed sound is simply gone
    }
    unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace kestrel
