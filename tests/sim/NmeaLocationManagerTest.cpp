#include "sim/NmeaLocationManager.h"

#include "core/exif/ExifReader.h"
#include "core/platform/ManualRunLoop.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

class Recorder final : public LocationManager::Delegate {
public:
    void didUpdateToLocation(const GeoPosition& position) override { fixes.push_back(position); }
    void didFailWithError() override { ++failures; }
    std::vector<GeoPosition> fixes;
    int failures = 0;
};

constexpr const char* kLog =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"     // the same instant
    "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B\r\n"  // bad checksum
    "$GPRMC,123521,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*76\r\n"  // no fix
    "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n"
    "$GPRMC,123522,A,3351.000,S,15112.000,W,022.4,084.4,230394,003.1,W*6D\r\n";

TEST(NmeaLocationManagerTest, ReplaysTheValidFixesWithTheLogsSpacing) {
    const auto fix = NmeaLocationManager::parseSentence(
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, 48.1173, 1e-4);
    EXPECT_NEAR(fix->longitude, 11.516667, 1e-5);
    EXPECT_EQ(fix->secondsOfDay, 12 * 3600 + 35 * 60 + 19);

    test::TempDir dir;
    std::ofstream(dir / "drive.nmea") << kLog;
    std::string error;
    const auto fixes = NmeaLocationManager::readLog(dir / "drive.nmea", &error);
    ASSERT_TRUE(fixes) << error;
    ASSERT_EQ(fixes->size(), 2u);
    EXPECT_NEAR((*fixes)[1].latitude, -(33 + 51.0 / 60), 1e-9);
    EXPECT_NEAR((*fixes)[1].longitude, -(151 + 12.0 / 60), 1e-9);

    ManualRunLoop loop;
    NmeaLocationManager manager(loop, *fixes);
    Recorder recorder;
    manager.setDelegate(&recorder);
    manager.startUpdatingLocation();
    loop.advance(0.0);
    ASSERT_EQ(recorder.fixes.size(), 1u);
    loop.advance(2.9);
    EXPECT_EQ(recorder.fixes.size(), 1u);
    loop.advance(0.2);  // three seconds on, as in the log
    EXPECT_EQ(recorder.fixes.size(), 2u);
    loop.advance(60.0);
    EXPECT_EQ(recorder.fixes.size(), 2u);  // then quiet

    std::ofstream(dir / "empty.nmea")
        << "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\n";
    EXPECT_FALSE(NmeaLocationManager::readLog(dir / "empty.nmea", &error));
    EXPECT_FALSE(NmeaLocationManager::readLog(dir / "missing.nmea", &error));
}

TEST(NmeaLocationManagerTest, ShootTagsThePictureWithTheReplayedPosition) {
    test::TempDir dir;
    std::ofstream(dir / "drive.nmea") << kLog;
    const auto run = test::runCli({"--config-dir", (dir / "config").string(), "shoot", "--mode",
                                   "1", "--virtual-time", "--dcim", (dir / "DCIM").string(),
                                   "--location-nmea", (dir / "drive.nmea").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto position = ExifReader(run.out.substr(0, run.out.size() - 1)).read();
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->latitude, 48.1173, 1e-3);
    EXPECT_NEAR(position->longitude, 11.5167, 1e-3);
    const auto refused =
        test::runCli({"shoot", "--location-nmea", (dir / "missing.nmea").string()});
    EXPECT_EQ(refused.status, 2);
}

}  // namespace
}  // namespace kestrel
