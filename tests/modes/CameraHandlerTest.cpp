#include "core/modes/CameraHandler.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "support/MemoryStore.h"
#include "support/TestImages.h"
#include "support/TestPaths.h"

#include "support/FakeHandlerHost.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class Host final : public test::FakeHandlerHost {
public:
    void photo(bool finalPhoto) override { requests.push_back({loop.now(), finalPhoto}); }

    std::vector<std::pair<RunLoop::Duration, bool>> requests;
};

class CameraHandlerTest : public ::testing::Test {
protected:
    CameraHandlerTest() : record(store) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kTimer);
    }
    ~CameraHandlerTest() override { ApplicationId::setId(0); }

    // A count-down of `seconds`: label texts by tick, beep ticks, picture tick.
    struct Run {
        std::vector<std::pair<int, std::string>> numbers;
        std::vector<int> beeps;
        std::vector<int> pictureTicks;
    };
    Run countDown(int seconds) {
        struct Delay final : CameraHandler {
            int delay = 10;
            int getTimerDelay() const override { return delay; }
        } handler;
        handler.delay = seconds;
        handler.setController(&host);
        Run run;
        const RunLoop::Duration start = host.loop.now();
        auto tickOf = [&](RunLoop::Duration t) {
            return static_cast<int>((t - start) / RunLoop::seconds(0.05));
        };
        handler.startDelay();
        EXPECT_EQ(handler.state(), CameraHandler::kDelay);
        EXPECT_FALSE(host.label.hidden());
        EXPECT_EQ(host.shutter.currentImage(), "pause.png");
        std::string last;
        for (int tick = 1; tick <= 20 * seconds + 10; ++tick) {
            host.loop.advance(RunLoop::seconds(0.05));
            if (host.label.text() != last) {
                last = host.label.text();
                run.numbers.emplace_back(tick, last);
            }
        }
        for (const auto& t : host.sounds.plays)
            run.beeps.push_back(tickOf(t));
        for (const auto& [t, final] : host.requests)
            run.pictureTicks.push_back(tickOf(t));
        EXPECT_EQ(handler.state(), CameraHandler::kIdle);
        EXPECT_TRUE(host.label.hidden());
        EXPECT_EQ(host.shutter.currentImage(), "camera.png");
        return run;
    }

    test::MemoryStore store;
    Camera1Data record;
    Host host;
};

TEST_F(CameraHandlerTest, TenSecondCountDownWithBeeps) {
    record.setTimerBeep(true);
    const Run run = countDown(10);
    ASSERT_EQ(run.numbers.size(), 10u);
    EXPECT_EQ(run.numbers.front(),
              (std::pair<int, std::string>{5, "10"}));  // 0.25 s after the press
    EXPECT_EQ(run.numbers[1], (std::pair<int, std::string>{25, "9"}));
    EXPECT_EQ(run.numbers.back(), (std::pair<int, std::string>{185, "1"}));  // tick 20·D − 15
    // One beep with each number, at the same tick.
    ASSERT_EQ(run.beeps.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(run.beeps[i], run.numbers[i].first);
    EXPECT_EQ(host.sounds.registered.size(), 1u);          // loaded once
    EXPECT_EQ(run.pictureTicks, (std::vector<int>{204}));  // tick 20·D + 4
}

TEST_F(CameraHandlerTest, LongCountDownsBeepOnlyFromTen) {
    record.setTimerBeep(true);
    const Run run = countDown(30);
    ASSERT_EQ(run.numbers.size(), 30u);
    EXPECT_EQ(run.numbers.front().second, "30");
    ASSERT_EQ(run.beeps.size(), 10u);
    EXPECT_EQ(run.beeps.front(), run.numbers[20].first);  // the first beep comes with "10"
    EXPECT_EQ(run.numbers[20].second, "10");
    EXPECT_EQ(run.pictureTicks, (std::vector<int>{604}));
}

TEST_F(CameraHandlerTest, NoBeepWhenTheStoredChoiceIsOffAndZeroDelayFiresAtTick4) {
    record.setTimerBeep(false);
    Run run = countDown(0);
    EXPECT_TRUE(run.numbers.empty());
    EXPECT_TRUE(run.beeps.empty());
    EXPECT_TRUE(host.sounds.registered.empty());
    EXPECT_EQ(run.pictureTicks, (std::vector<int>{4}));
}

TEST_F(CameraHandlerTest, APressDuringTheCountDownStopsItForGood) {
    CameraHandler handler;
    handler.setController(&host);
    handler.setAutoStart(true);
    handler.startDelay();
    host.loop.advance(3.0);
    EXPECT_TRUE(handler.shutter());
    EXPECT_EQ(handler.state(), CameraHandler::kIdle);
    EXPECT_FALSE(handler.autoStart());
    EXPECT_EQ(host.shutter.currentImage(), "camera.png");
    handler.ready();  // autoStart cleared: nothing restarts
    host.loop.advance(20.0);
    EXPECT_TRUE(host.requests.empty());
}

TEST_F(CameraHandlerTest, StandardModeTakesThePictureAtOnce) {
    CameraStandardHandler handler;
    handler.setController(&host);
    EXPECT_TRUE(handler.shutter());
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_TRUE(host.requests[0].second);
    EXPECT_EQ(handler.getModeImage(), "Mode_Auto.png");
}

// A sensor that reports the levels it is given, then fires.
struct ScriptedSensor final : CameraSensingHandler {
    std::vector<float> levels;
    std::size_t next = 0;
    bool senseReady(float& level) override {
        if (next >= levels.size()) return true;
        level = levels[next++];
        return false;
    }
};

TEST_F(CameraHandlerTest, TheSensorLoopClampsItsLevelAndFiresOnTheNextTurn) {
    ScriptedSensor handler;
    handler.levels = {1.7f, -0.2f, 0.35f};
    handler.setController(&host);
    EXPECT_TRUE(handler.shutter());  // the first press starts sensing
    EXPECT_EQ(handler.state(), CameraHandler::kSensing);
    EXPECT_FALSE(host.panel.hidden());
    host.loop.advance(0.05);
    EXPECT_FLOAT_EQ(host.indicator.level(), 1.0f);
    host.loop.advance(0.05);
    EXPECT_FLOAT_EQ(host.indicator.level(), 0.0f);
    host.loop.advance(0.05);
    EXPECT_FLOAT_EQ(host.indicator.level(), 0.35f);
    host.loop.advance(0.05);  // fires: the request comes after the tick returns
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].first, RunLoop::seconds(0.2));
    EXPECT_EQ(handler.state(), CameraHandler::kIdle);
    EXPECT_TRUE(host.panel.hidden());

    ScriptedSensor stopped;
    stopped.levels = std::vector<float>(100, 0.1f);
    stopped.setController(&host);
    stopped.shutter();
    host.loop.advance(0.5);
    EXPECT_TRUE(stopped.shutter());  // a second press stops the waiting
    host.loop.advance(10.0);
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(CameraHandlerTest, AHandlerReplacedBeforeItsRequestIsNotCalled) {
    auto handler = std::make_unique<ScriptedSensor>();
    handler->setController(&host);
    handler->endSensing();  // the sensor fired: the request is posted...
    handler.reset();        // ...and the controller replaces the handler first
    host.loop.runUntilIdle();
    EXPECT_TRUE(host.requests.empty());
}

TEST_F(CameraHandlerTest, TheStandardProcessing) {
    record.setMode(Camera1Data::kStandard);
    record.setFullSizePhoto(true);
    CameraStandardHandler handler;
    const Image picture = test::TestImages::noise(64, 48, 3);
    EXPECT_TRUE(handler.processPhoto(picture, 1.0f).sameBitmap(picture));
    record.setFullSizePhoto(false);
    EXPECT_EQ(handler.processPhoto(picture, 1.0f).width(), 640);
    record.setFullSizePhoto(true);
    record.setModification(Camera1Data::kNightVisionEffect);
    const Image night = handler.processPhoto(picture, 1.0f);
    const auto c = test::TestImages::at(night, 10, 10);
    EXPECT_TRUE(c.r == c.g && c.g == c.b);
    record.setModification(0);
    record.setTimeStamp(true);
    EXPECT_TRUE(handler.timeStamp());
    EXPECT_TRUE(handler.modifiedImage());
}

TEST(SoundFileTest, NamesAndFiles) {
    test::RecordingSounds sounds;
    EXPECT_TRUE(
        SoundFile::soundFileFromFileName("beep.wav", test::testPaths().resourcesDir, sounds));
    EXPECT_FALSE(SoundFile::soundFileFromFileName("beep", test::testPaths().resourcesDir, sounds));
    EXPECT_FALSE(
        SoundFile::soundFileFromFileName("beep.old.wav", test::testPaths().resourcesDir, sounds));
    EXPECT_FALSE(
        SoundFile::soundFileFromFileName("missing.wav", test::testPaths().resourcesDir, sounds));
    EXPECT_EQ(sounds.disposed, 1);  // the first went with its object
}

TEST(TimeStampTest, MediumDateShortTime) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 4;
    t.tm_min = 9;
    t.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&t));
    const std::string text = CameraHandler::timeStampText(when);
    EXPECT_NE(text.find("2026"), std::string::npos) << text;
    EXPECT_NE(text.find("04:09"), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrel
