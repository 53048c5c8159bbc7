#include "adapters/qt/QtScreenSaverInhibitor.h"

#include "support/QtApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

TEST(QtScreenSaverInhibitorTest, WithoutASessionBusNothingHappensQuietly) {
    test::qtApplication();
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus && *bus) GTEST_SKIP() << "this machine has a session bus";
    QtScreenSaverInhibitor screen;
    screen.setIdleTimerDisabled(true);
    EXPECT_FALSE(screen.inhibiting());
    screen.setIdleTimerDisabled(false);
    EXPECT_FALSE(screen.inhibiting());
}

}  // namespace
}  // namespace kestrel
