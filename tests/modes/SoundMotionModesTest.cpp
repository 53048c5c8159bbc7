#include "core/modes/CameraMotionHandler.h"
#include "core/modes/CameraSoundHandler.h"
#include "core/ui/ImageView.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

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

TEST_F(SoundMotionModesTest, SoundFiresWhenTheLevelReachesItsThreshold) {
    CameraSoundHandler sound;
    attach(sound);
    EXPECT_FLOAT_EQ(sound.sensitivity(), 32);
    sound.shutter();
    ASSERT_NE(sound.detector(), nullptr);
    EXPECT_TRUE(sound.detector()->running());
    EXPECT_EQ(host.status->imageName(), "Status_Sound.png");
    EXPECT_FALSE(host.panel.hidden());
    sound.detector()->setLevel(31.9f);
    host.loop.advance(0.5);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_NEAR(host.indicator.level(), 31.9f / 32, 1e-6);
    sound.detector()->setLevel(-40);
    host.loop.advance(0.05);
    EXPECT_EQ(host.indicator.level(), 0);  // a negative mean shows empty
    sound.detector()->setLevel(32);
    host.loop.advance(0.05);
    ASSERT_EQ(host.requests.size(), 1u);
    // Firing stopped the microphone and cleared the level.
    EXPECT_FALSE(sound.detector()->running());
    EXPECT_EQ(sound.detector()->level(), 0);
    EXPECT_EQ(sound.state(), CameraHandler::kIdle);
    EXPECT_FALSE(sound.autoStart());
    EXPECT_EQ(host.status->imageName(), "");

    record.sound().setSensitivity(2);  // 64
    sound.shutter();
    sound.detector()->setLevel(48);
    host.loop.advance(0.05);
    EXPECT_FLOAT_EQ(host.indicator.level(), 0.75f);
    record.sound().setSensitivity(3);  // 24
    sound.detector()->setLevel(24);
    host.loop.advance(0.05);
    EXPECT_EQ(host.requests.size(), 2u);
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

}  // namespace
}  // namespace kestrel
