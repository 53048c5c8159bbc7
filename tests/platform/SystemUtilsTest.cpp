#include "core/platform/FixedSystemInfo.h"
#include "core/platform/LinuxSystemInfo.h"
#include "core/platform/SystemUtils.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrel {
namespace {

TEST(SystemUtilsTest, VersionNumberIsTheSinglePrecisionHundredfoldTruncated) {
    EXPECT_EQ(SystemUtils::versionNumberOf("3.1.3"), 310);
    EXPECT_EQ(SystemUtils::versionNumberOf("3.2"), 320);
    EXPECT_EQ(SystemUtils::versionNumberOf("4.0"), 400);
    // 4.2 in single precision lies just below 4.2.
    EXPECT_EQ(SystemUtils::versionNumberOf("4.2"), 419);
    EXPECT_EQ(SystemUtils::versionNumberOf("4.2.1"), 419);
    EXPECT_EQ(SystemUtils::versionNumberOf("  5"), 500);
    EXPECT_EQ(SystemUtils::versionNumberOf("6.1.0-28-amd64"), 610);
}

TEST(SystemUtilsTest, VersionTextWithoutALeadingNumberGivesZero) {
    for (const char* text : {"", "beta", "v4.0", "nan", "inf", "-", "."})
        EXPECT_EQ(SystemUtils::versionNumberOf(text), 0) << '"' << text << '"';
    EXPECT_EQ(SystemUtils::versionNumberOf("1e30"), std::numeric_limits<int>::max());
}

TEST(SystemUtilsTest, DeviceNamesByExactIdentifier) {
    EXPECT_EQ(SystemUtils::platformString("iPod3,1"), "iPod Touch 3G");
    EXPECT_EQ(SystemUtils::platformString("iPhone2,1"), "iPhone 3GS");
    EXPECT_EQ(SystemUtils::platformString("iPhone1,1"), "iPhone 2G");
    EXPECT_EQ(SystemUtils::platformString("iPhone3,2"), std::nullopt);
    EXPECT_EQ(SystemUtils::platformString("iphone2,1"), std::nullopt);
    EXPECT_EQ(SystemUtils::platformString("x86_64"), std::nullopt);
}

TEST(SystemUtilsTest, ReadsThroughTheSystemPort) {
    FixedSystemInfo phone("4.2.1", "iPhone3,1");
    SystemUtils utils(phone);
    EXPECT_EQ(utils.version(), "4.2.1");
    EXPECT_EQ(utils.versionNumber(), 419);
    EXPECT_EQ(utils.model(), "iPhone3,1");
    EXPECT_EQ(utils.modelName(), "iPhone 4");

    // A Linux system counts as newer than every threshold Kestrel uses.
    LinuxSystemInfo running;
    SystemUtils host(running);
    EXPECT_GE(host.versionNumber(), 400);
    EXPECT_FALSE(host.model().empty());
}

}  // namespace
}  // namespace kestrel
