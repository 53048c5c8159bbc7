#include "core/app/KestrelApp.h"
#include "core/modes/CameraMotionHandler.h"
#include "core/modes/CameraSoundHandler.h"
#include "core/platform/AbsentAccelerometer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/ui/ImageView.h"
#include "sim/SimulatedCamera.h"
#include "sim/SimulatedMicrophone.h"
#include "support/AppOptions.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// Audio input whose units start but never deliver a cycle: the tests set the level.
class QuietUnit final : public AudioUnit {
public:
    AudioStatus enableInput(std::uint32_t, bool) override { return 0; }
    AudioStatus streamFormat(Scope, std::uint32_t, AudioStreamFormat& f) const override {
        f = AudioStreamFormat::mono16(44100);
        return 0;
    }
    AudioStatus setStreamFormat(Scope, std::uint32_t, const AudioStreamFormat&) override {
        return 0;
    }
    AudioStatus setRenderCallback(std::uint32_t, RenderCallback, void*) override { return 0; }
    AudioStatus initialize() override { return 0; }
    AudioStatus start() override { return 0; }
    AudioStatus render(std::uint32_t*, double, std::uint32_t, std::uint32_t,
                       AudioBufferList*) override {
        return 0;
    }
    AudioStatus dispose() override {
        ++*disposed;
        return 0;
    }
    int* disposed = nullptr;
};

class QuietAudio final : public AudioSystem {
public:
    std::unique_ptr<AudioUnit> newInstance(const ComponentDescription&,
                                           AudioStatus& status) override {
        status = 0;
        ++units;
        auto unit = std::make_unique<QuietUnit>();
        unit->disposed = &disposed;
        return unit;
    }
    std::optional<std::string> currentRoute() const override { return std::nullopt; }
    int units = 0;
    int disposed = 0;
};

using Host = test::ReadyingHost;

class SoundMotionModesTest : public test::HandlerFixture<Host> {
protected:
    SoundMotionModesTest() { host.audio = &audio; }
    QuietAudio audio;
};

TEST_F(SoundMotionModesTest, SoundFiresWhenTheLevelReachesItsThresholdAndReadsEachLevelOnce) {
    CameraSoundHandler sound;
    attach(sound);
    const float medium = AudioDetection::fromDbfs(-38);
    EXPECT_FLOAT_EQ(sound.sensitivity(), medium);
    sound.shutter();
    ASSERT_NE(sound.detector(), nullptr);
    EXPECT_TRUE(sound.detector()->running());
    EXPECT_EQ(host.status->imageName(), "Status_Sound.png");
    EXPECT_FALSE(host.panel.hidden());
    sound.detector()->setLevel(medium * 0.99f);
    host.loop.advance(0.05);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_NEAR(host.indicator.level(), 0.99f, 1e-6);
    // The poll took that level: the next one reads what came since, nothing.
    host.loop.advance(0.05);
    EXPECT_EQ(host.indicator.level(), 0);
    sound.detector()->setLevel(medium);
    host.loop.advance(0.05);
    ASSERT_EQ(host.requests.size(), 1u);
    // Firing stopped the microphone and cleared the level.
    EXPECT_FALSE(sound.detector()->running());
    EXPECT_EQ(sound.detector()->level(), 0);
    EXPECT_EQ(sound.state(), CameraHandler::kIdle);
    EXPECT_FALSE(sound.autoStart());
    EXPECT_EQ(host.status->imageName(), "");

    // The first choice of the screen is the least sensitive, the last the most.
    record.sound().setSensitivity(2);
    const float low = sound.sensitivity();
    record.sound().setSensitivity(3);
    const float high = sound.sensitivity();
    EXPECT_NEAR(AudioDetection::toDbfs(low), -30, 1e-4);
    EXPECT_NEAR(AudioDetection::toDbfs(high), -46, 1e-4);
    record.sound().setSensitivity(2);
    sound.shutter();
    sound.detector()->setLevel(low * 0.75f);
    host.loop.advance(0.05);
    EXPECT_FLOAT_EQ(host.indicator.level(), 0.75f);
    record.sound().setSensitivity(3);
    sound.detector()->setLevel(high);
    host.loop.advance(0.05);
    EXPECT_EQ(host.requests.size(), 2u);
}

// The sound mode at its real poll rate over the simulated microphone's
// 1024-frame cycles.
class SoundAtRealRatesTest : public test::HandlerFixture<Host> {
protected:
    // When the first picture was requested, or none within `seconds`.
    std::optional<double> firstPicture(const MicrophoneSignal& signal, int level, double seconds) {
        SimulatedMicrophone microphone(host.loop, signal);
        host.audio = &microphone;
        record.sound().setSensitivity(level);
        host.requests.clear();
        std::optional<double> when;
        // The named sounds follow the loop's clock: start where the first clap is 1.5 s away.
        const double now = RunLoop::toSeconds(host.loop.now());
        host.loop.advance(std::ceil(now / MicrophoneSignal::kClapPeriod) *
                              MicrophoneSignal::kClapPeriod -
                          now);
        {
            CameraSoundHandler sound;
            attach(sound);
            const RunLoop::Duration start = host.loop.now();
            sound.shutter();
            host.loop.advance(seconds);
            if (!host.requests.empty()) when = RunLoop::toSeconds(host.requests[0] - start);
            host.handler = nullptr;
        }
        host.audio = nullptr;
        return when;
    }
};

TEST_F(SoundAtRealRatesTest, EveryClapFiresAtEverySensitivityAndNoOffsetEverDoes) {
    const MicrophoneSignal clap = *MicrophoneSignal::named("clap");
    for (const int level : {2, 0, 3}) {
        for (const MicrophoneSignal& signal : {clap, clap.inverted(), clap.withOffset(1000),
                                               clap.inverted().withOffset(-1000)}) {
            const auto when = firstPicture(signal, level, 2.0);
            ASSERT_TRUE(when.has_value()) << "level " << level;
            // The clap starts 1.5 s in; the poll after its cycle fires.
            EXPECT_GE(*when, MicrophoneSignal::kFirstClap) << "level " << level;
            EXPECT_LE(*when, MicrophoneSignal::kFirstClap + 0.1) << "level " << level;
        }
    }
    // Room noise on an offset of ±1000 units, a minute at the most sensitive choice.
    const MicrophoneSignal room = *MicrophoneSignal::named("quiet");
    for (const int offset : {1000, -1000})
        EXPECT_FALSE(firstPicture(room.withOffset(offset), 3, 60.0).has_value()) << offset;
}

TEST_F(SoundMotionModesTest, APressWhileListeningStopsTheMicrophoneAndTheNextStartsAFreshUnit) {
    {
        CameraSoundHandler sound;
        attach(sound);
        sound.shutter();
        sound.detector()->setLevel(20);
        host.loop.advance(0.1);
        sound.shutter();
        EXPECT_EQ(sound.state(), CameraHandler::kIdle);
        EXPECT_FALSE(sound.detector()->hasUnit());
        EXPECT_EQ(sound.detector()->level(), 0);
        EXPECT_TRUE(host.panel.hidden());
        EXPECT_EQ(host.shutter.currentImage(), "camera.png");
        sound.shutter();
        EXPECT_EQ(audio.units, 2);
        EXPECT_EQ(audio.disposed, 1);
    }
    EXPECT_EQ(audio.disposed, 2);  // a handler that goes takes its microphone with it
    // Without audio input the loop keeps polling a level of 0 until the next press.
    host.audio = nullptr;
    CameraSoundHandler deaf;
    attach(deaf);
    deaf.shutter();
    host.loop.advance(5.0);
    EXPECT_EQ(deaf.state(), CameraHandler::kSensing);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(host.indicator.level(), 0);
}

TEST_F(SoundMotionModesTest, MotionCountsDownWatchesShootsAndPausesSilently) {
    record.setTimerBeep(true);
    CameraMotionHandler motion;
    attach(motion);
    EXPECT_FLOAT_EQ(motion.sensitivity(), 0.02f);
    host.screen = TestImages::uniform(320, 427, Rgb{90, 90, 90});
    motion.shutter();
    EXPECT_EQ(motion.state(), CameraHandler::kDelay);
    host.loop.advance(10.2);
    EXPECT_EQ(host.sounds.plays.size(), 10u);  // ten numbers, ten beeps
    EXPECT_EQ(motion.state(), CameraHandler::kSensing);
    EXPECT_TRUE(host.panel.hidden());  // no indicator while watching
    EXPECT_EQ(host.shutter.currentImage(), "pause.png");
    // The first poll only primes the reference, however different the scene.
    host.screen = TestImages::uniform(320, 427, Rgb{200, 200, 200});
    host.loop.advance(0.25);
    EXPECT_TRUE(host.requests.empty());
    host.loop.advance(1.0);
    EXPECT_TRUE(host.requests.empty());
    host.screen = TestImages::uniform(320, 427, Rgb{90, 90, 90});
    host.loop.advance(0.25);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_TRUE(motion.autoStart());
    // Ready again at once (the host): a silent 4 s pause, the label empty.
    const auto picture = host.requests[0];
    host.loop.advance(0.1);
    EXPECT_EQ(motion.state(), CameraHandler::kDelay);
    EXPECT_FALSE(host.label.hidden());
    host.loop.advance(3.8);
    EXPECT_EQ(host.label.text(), "");
    EXPECT_EQ(host.sounds.plays.size(), 10u);
    EXPECT_EQ(motion.state(), CameraHandler::kDelay);
    host.loop.advance(0.2);
    EXPECT_EQ(motion.state(), CameraHandler::kSensing);
    EXPECT_GE(host.loop.now() - picture, RunLoop::seconds(4.0));
    // The watch re-primed: the same changed scene does not fire twice.
    host.screen = TestImages::uniform(320, 427, Rgb{200, 200, 200});
    host.loop.advance(0.3);
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(SoundMotionModesTest, APressDuringThePauseEndsTheSeries) {
    CameraMotionHandler motion;
    attach(motion);
    host.screen = TestImages::uniform(320, 427, Rgb{90, 90, 90});
    motion.shutter();
    host.loop.advance(10.5);
    host.screen = TestImages::uniform(320, 427, Rgb{200, 200, 200});
    host.loop.advance(0.3);
    ASSERT_EQ(host.requests.size(), 1u);
    host.loop.advance(1.0);  // in the pause
    EXPECT_EQ(motion.state(), CameraHandler::kDelay);
    motion.shutter();
    EXPECT_FALSE(motion.autoStart());
    EXPECT_EQ(motion.state(), CameraHandler::kIdle);
    host.loop.advance(20.0);
    EXPECT_EQ(host.requests.size(), 1u);
    // A black snapshot (covered lens) never fires.
    motion.shutter();
    host.loop.advance(10.5);
    host.screen = TestImages::uniform(320, 427, Rgb{0, 0, 0});
    host.loop.advance(2.0);
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(SoundMotionModesTest, WithIgnoreLightALampIsNoMotionButAFigureCrossingIs) {
    // The watch on the simulated camera's live view, four polls a second.
    SimulatedCamera camera(host.loop);
    auto watch = [&](SimulatedCamera::Scene scene, bool ignoreLight, double seconds) {
        record.motion().setIgnoreLight(ignoreLight);
        camera.setScene(scene);
        host.requests.clear();
        CameraMotionHandler motion;
        attach(motion);
        host.screen = camera.render(320, 427);
        motion.shutter();
        host.loop.advance(10.2);  // the count-down
        EXPECT_EQ(motion.state(), CameraHandler::kSensing);
        for (double t = 0; t < seconds && host.requests.empty(); t += 0.05) {
            host.screen = camera.render(320, 427);
            host.loop.advance(0.05);
        }
        motion.shutter();  // ends the watch or the pause
        host.loop.runUntilIdle();
        host.handler = nullptr;
        return host.requests.size();
    };
    // The lamp goes on or off every 2.5 s: three changes within 8 s.
    EXPECT_EQ(watch(SimulatedCamera::Scene::kLightSwitch, false, 8.0), 1u);
    EXPECT_EQ(watch(SimulatedCamera::Scene::kLightSwitch, true, 8.0), 0u);
    // Someone walking through the picture is still seen.
    EXPECT_EQ(watch(SimulatedCamera::Scene::kMoving, true, 6.0), 1u);
}

// The watch covers the camera's whole picture wherever the window's shape
// puts it: a laptop's wide live view, a tall phone's. Something appearing in
// any part of the picture is motion.
TEST(MotionWatchTest, AChangeAnywhereInThePictureIsSeenInWindowsOfEveryShape) {
    struct Block {
        int x, y, width, height;
    };
    struct Case {
        const char* name;
        Size screen;
        int mountRotation;  // a webcam's sensor lies as the screen, a phone's turned
        Block block;        // where something dark appears, in the 640 × 480 picture
    };
    // The blocks are a tenth of the picture or more, five times the share
    // the default sensitivity needs. A phone's turned sensor gives upright
    // frames, cropped from the picture's middle columns: its blocks lie there.
    const Case cases[] = {
        {"laptop, right edge", Size{1280, 720}, 0, Block{512, 0, 128, 480}},
        {"laptop, left edge", Size{1280, 720}, 0, Block{0, 0, 128, 480}},
        {"phone, bottom", Size{360, 720}, 90, Block{200, 384, 240, 96}},
        {"first phone, bottom", Size{320, 480}, 90, Block{200, 384, 240, 96}},
    };
    const Rgb grey{120, 120, 120};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        ManualRunLoop loop;
        SimulatedCamera camera(loop);
        camera.setMountRotation(c.mountRotation);
        AbsentAccelerometer none;
        test::RecordingSounds sounds;
        KestrelApp app(KestrelApp::Ports{loop, camera, none, sounds,
                                         std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                       test::appOptions(dir.path()));
        app.settings().record().setMode(Camera1Data::kMotion);
        int requested = 0;
        app.camera().setTraceObserver([&](const std::string& event) {
            if (event == "picture requested") ++requested;
        });
        camera.setPicture(TestImages::uniform(640, 480, grey));
        app.setScreenSize(c.screen);
        app.start();
        loop.advance(0.5);
        app.camera().shutter();
        loop.advance(11.0);  // the count-down, then a poll that takes the view in
        ASSERT_EQ(requested, 0);
        camera.setPicture(TestImages::make(640, 480, [&](int x, int y) {
            const bool inside = x >= c.block.x && x < c.block.x + c.block.width &&
                                y >= c.block.y && y < c.block.y + c.block.height;
            return inside ? Rgb{20, 20, 20} : grey;
        }));
        loop.advance(1.0);
        EXPECT_EQ(requested, 1);
    }
}

}  // namespace
}  // namespace kestrel
