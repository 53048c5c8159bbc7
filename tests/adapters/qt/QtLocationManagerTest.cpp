#include "adapters/qt/QtLocationManager.h"

#include "core/platform/ManualRunLoop.h"
#include "support/QtApplication.h"

#include <gtest/gtest.h>

#include <QGeoCoordinate>
#include <QGeoPositionInfo>

namespace kestrel {
namespace {

class Recorder final : public LocationManager::Delegate {
public:
    void didUpdateToLocation(const GeoPosition& position) override {
        ++fixes;
        last = position;
    }
    void didFailWithError() override { ++failures; }
    int fixes = 0;
    int failures = 0;
    GeoPosition last;
};

// A positioning source that does what the test says, as GeoClue would: it
// reports a position whose time is when the position was first found.
class ScriptedSource final : public QGeoPositionInfoSource {
public:
    ScriptedSource() : QGeoPositionInfoSource(nullptr) {}
    QGeoPositionInfo lastKnownPosition(bool = false) const override { return {}; }
    PositioningMethods supportedPositioningMethods() const override { return AllPositioningMethods; }
    int minimumUpdateInterval() const override { return 1000; }
    Error error() const override { return NoError; }
    void setUpdateInterval(int msec) override {
        QGeoPositionInfoSource::setUpdateInterval(msec);
        intervals.push_back(msec);
    }
    void startUpdates() override { ++starts; }
    void stopUpdates() override { ++stops; }
    void requestUpdate(int timeout) override { requestTimeouts.push_back(timeout); }
    void report(const QDateTime& found) {
        emit positionUpdated(QGeoPositionInfo(QGeoCoordinate(46.95, 7.45), found));
    }

    int starts = 0;
    int stops = 0;
    std::vector<int> intervals;
    std::vector<int> requestTimeouts;
};

TEST(QtLocationManagerTest, TheSourceIsAskedAtTheIntervalAndAnAnswerIsWhereTheDeviceIsNow) {
    test::qtApplication();
    ManualRunLoop loop;
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource& source = *owned;
    Recorder recorder;
    {
        QtLocationManager manager(loop, std::move(owned));
        ASSERT_TRUE(manager.locationServicesEnabled());
        manager.setDelegate(&recorder);
        manager.setUpdateInterval(30);
        manager.setUpdateInterval(0.2);  // never below what the source can do
        EXPECT_EQ(source.intervals, (std::vector<int>{30000, 1000}));
        manager.startUpdatingLocation();
        EXPECT_EQ(source.starts, 1);

        // Reported by itself: a fix keeps its own time, so an old one is seen as old.
        const QDateTime found = QDateTime::currentDateTimeUtc().addSecs(-3600);
        source.report(found);
        ASSERT_EQ(recorder.fixes, 1);
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(recorder.last.timestamp.time_since_epoch())
                      .count(),
                  found.toMSecsSinceEpoch());

        // The answer to a question is where the device is now, however long ago it got there.
        const auto asked = std::chrono::system_clock::now();
        manager.requestUpdate();
        EXPECT_EQ(source.requestTimeouts, std::vector<int>{static_cast<int>(QtLocationManager::kTimeout * 1000)});
        source.report(found);
        ASSERT_EQ(recorder.fixes, 2);
        EXPECT_GE(recorder.last.timestamp, asked);
        EXPECT_DOUBLE_EQ(recorder.last.latitude, 46.95);
        source.report(found);  // and only the answer
        EXPECT_LT(recorder.last.timestamp, asked);

        // An unanswered question is a failure, and the next answer is new again.
        manager.requestUpdate();
        emit source.errorOccurred(QGeoPositionInfoSource::UpdateTimeoutError);
        EXPECT_EQ(recorder.failures, 1);
        source.report(found);
        EXPECT_LT(recorder.last.timestamp, asked);
        EXPECT_EQ(source.stops, 0);
    }
}

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
