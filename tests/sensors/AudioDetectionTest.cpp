#include "core/platform/ManualRunLoop.h"
#include "core/platform/NotificationCenter.h"
#include "core/sensors/AudioDetection.h"
#include "sim/SimulatedMicrophone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kestrel {
namespace {

// A unit that records the calls made on it; one step can be made to fail.
class ScriptedUnit final : public AudioUnit {
public:
    explicit ScriptedUnit(std::vector<std::string>& log) : log_(log) {}
    AudioStatus step(const std::string& name) {
        log_.push_back(name);
        return name == failing ? -50 : 0;
    }
    AudioStatus enableInput(std::uint32_t, bool) override { return step("enableInput"); }
    AudioStatus streamFormat(Scope, std::uint32_t, AudioStreamFormat& format) const override {
        log_.push_back("streamFormat");
        format = AudioStreamFormat::mono16(48000);
        format.bitsPerChannel = hardwareBits;
        return failing == "streamFormat" ? -50 : 0;
    }
    AudioStatus setStreamFormat(Scope scope, std::uint32_t element,
                                const AudioStreamFormat& format) override {
        formats.push_back(format);
        return step(scope == Scope::kOutput && element == kInputElement ? "setMicFormat"
                                                                        : "setSpeakerFormat");
    }
    AudioStatus setRenderCallback(std::uint32_t, RenderCallback cb, void* ctx) override {
        callback = cb;
        context = ctx;
        return step("setRenderCallback");
    }
    AudioStatus initialize() override { return step("initialize"); }
    AudioStatus start() override { return step("start"); }
    AudioStatus render(std::uint32_t*, double, std::uint32_t, std::uint32_t,
                       AudioBufferList* list) override {
        for (std::uint32_t i = 0; i < list->count; ++i)
            std::memcpy(list->buffers[i].data, input.data(), list->buffers[i].byteSize);
        return 0;
    }
    AudioStatus dispose() override { return step("dispose"); }

    std::vector<std::string>& log_;
    std::string failing;
    std::uint32_t hardwareBits = 16;
    std::vector<AudioStreamFormat> formats;
    RenderCallback callback = nullptr;
    void* context = nullptr;
    std::vector<std::int16_t> input = std::vector<std::int16_t>(256, 0);
};

class ScriptedSystem final : public AudioSystem {
public:
    std::unique_ptr<AudioUnit> newInstance(const ComponentDescription& d,
                                           AudioStatus& status) override {
        descriptions.push_back(d);
        auto unit = std::make_unique<ScriptedUnit>(log);
        unit->failing = failing;
        unit->hardwareBits = hardwareBits;
        last = unit.get();
        status = 0;
        return unit;
    }
    std::optional<std::string> currentRoute() const override { return route; }

    std::vector<std::string> log;
    std::vector<ComponentDescription> descriptions;
    std::string failing;
    std::uint32_t hardwareBits = 16;
    std::optional<std::string> route = "Built-In Microphone";
    ScriptedUnit* last = nullptr;
};

template <typename Sample>
AudioBufferList listOf(std::vector<Sample>& samples, AudioBuffer& buffer) {
    buffer =
        AudioBuffer{1, static_cast<std::uint32_t>(samples.size() * sizeof(Sample)), samples.data()};
    return AudioBufferList{1, &buffer};
}

TEST(AudioDetectionTest, LevelIsTheLoudestCycleRmsAboutItsOwnMeanSinceTheLastTake) {
    ScriptedSystem system;
    AudioDetection detection(system);
    ASSERT_TRUE(detection.startUnit());  // 16-bit hardware format
    AudioBuffer buffer;
    // A converter's offset alone is silence, whichever its sign.
    for (const std::int16_t offset : {std::int16_t{100}, std::int16_t{-1000}, std::int16_t{1000}}) {
        std::vector<std::int16_t> constant(256, offset);
        detection.detect(listOf(constant, buffer));
        EXPECT_FLOAT_EQ(detection.takeLevel(), 0) << offset;
    }
    // A swing of ±1000 is 1000 RMS, on any offset and in either polarity.
    for (const int offset : {0, 900, -900}) {
        for (const int sign : {1, -1}) {
            std::vector<std::int16_t> swing(256);
            for (std::size_t i = 0; i < swing.size(); ++i)
                swing[i] = static_cast<std::int16_t>(offset + sign * (i % 2 ? -1000 : 1000));
            detection.detect(listOf(swing, buffer));
            EXPECT_FLOAT_EQ(detection.takeLevel(), 1000) << offset << " " << sign;
        }
    }
    // The loudest cycle is kept until taken, and taken once.
    std::vector<std::int16_t> loud(128), quiet(128);
    for (std::size_t i = 0; i < loud.size(); ++i) {
        loud[i] = static_cast<std::int16_t>(i % 2 ? -3000 : 3000);
        quiet[i] = static_cast<std::int16_t>(i % 2 ? -50 : 50);
    }
    detection.detect(listOf(quiet, buffer));
    detection.detect(listOf(loud, buffer));
    detection.detect(listOf(quiet, buffer));
    EXPECT_FLOAT_EQ(detection.level(), 3000);
    EXPECT_FLOAT_EQ(detection.takeLevel(), 3000);
    EXPECT_FLOAT_EQ(detection.takeLevel(), 0);
    // A list without samples leaves the level as it was.
    detection.setLevel(7);
    AudioBufferList empty{0, nullptr};
    detection.detect(empty);
    std::vector<std::int16_t> none;
    detection.detect(listOf(none, buffer));
    EXPECT_FLOAT_EQ(detection.level(), 7);
    EXPECT_NEAR(AudioDetection::toDbfs(AudioDetection::fromDbfs(-38)), -38, 1e-4);
    EXPECT_NEAR(AudioDetection::fromDbfs(-20), 3276.8, 0.1);
}

TEST(AudioDetectionTest, ThirtyTwoBitSamplesAreScaledToSixteenBitUnitsAndOtherDepthsIgnored) {
    for (const std::uint32_t bits : {32u, 8u, 24u}) {
        ScriptedSystem system;
        system.hardwareBits = bits;
        AudioDetection detection(system);
        ASSERT_TRUE(detection.startUnit());
        EXPECT_EQ(detection.bitsPerSample(), bits);
        detection.setLevel(5);
        // ±1000 in 16-bit units, as a 32-bit converter delivers it, on an offset.
        std::vector<std::int32_t> samples(256);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = (i % 2 ? -1000 : 1000) * 65536 + 77 * 65536;
        AudioBuffer buffer;
        detection.detect(listOf(samples, buffer));
        EXPECT_FLOAT_EQ(detection.level(), bits == 32 ? 1000.0f : 5.0f) << bits << " bits";
    }
}

TEST(AudioDetectionTest, StartConfiguresTheUnitInOrderAndStopDisposesOfIt) {
    ScriptedSystem system;
    int routeNotes = 0;
    auto& center = NotificationCenter::defaultCenter();
    const auto observer = center.addObserver(AudioUnitProcessor::kRouteChangedNotification,
                                             [&](const Notification&) { ++routeNotes; });
    {
        AudioDetection detection(system);
        ASSERT_TRUE(detection.startUnit());
        EXPECT_TRUE(detection.running());
        EXPECT_EQ(detection.route(), "Built-In Microphone");
        EXPECT_EQ(routeNotes, 1);
        EXPECT_EQ(system.descriptions.at(0).type, fourCharCode("auou"));
        EXPECT_EQ(system.descriptions.at(0).subType, fourCharCode("rioc"));
        EXPECT_EQ(system.log, (std::vector<std::string>{
                                  "enableInput", "streamFormat", "setMicFormat", "setSpeakerFormat",
                                  "setRenderCallback", "initialize", "start"}));
        EXPECT_EQ(system.last->formats.at(0).sampleRate, 48000);  // the unit's own format
        EXPECT_TRUE(detection.stopUnit());
        EXPECT_FALSE(detection.running());
        EXPECT_FALSE(detection.hasUnit());
        EXPECT_EQ(system.log.back(), "dispose");
        EXPECT_TRUE(detection.stopUnit());  // no unit: nothing to do
        // A requested rate writes the fixed 16-bit mono format.
        detection.setSampleRate(22050);
        ASSERT_TRUE(detection.restart());
        const AudioStreamFormat written = system.last->formats.at(0);
        EXPECT_EQ(written.sampleRate, 22050);
        EXPECT_EQ(written.formatFlags, 12u);
        EXPECT_EQ(written.bytesPerFrame, 2u);
        EXPECT_EQ(written.channelsPerFrame, 1u);
        EXPECT_EQ(written.bitsPerChannel, 16u);
    }
    EXPECT_EQ(system.log.back(), "dispose");  // destruction stops the unit
    center.removeObserver(observer);
}

TEST(AudioDetectionTest, FailuresAnswerNoAndAnUnreadableFormatFallsBackTo8000Hz) {
    {
        ScriptedSystem system;
        system.failing = "streamFormat";
        AudioDetection detection(system);
        ASSERT_TRUE(detection.startUnit());
        EXPECT_EQ(system.last->formats.at(0).sampleRate, 8000);
    }
    for (const char* step :
         {"enableInput", "setMicFormat", "setRenderCallback", "initialize", "start"}) {
        ScriptedSystem system;
        system.failing = step;
        AudioDetection detection(system);
        EXPECT_FALSE(detection.startUnit()) << step;
        EXPECT_FALSE(detection.running()) << step;
        // The rest of the configuration is skipped, the unit still initialised.
        if (std::string(step) == "enableInput") {
            EXPECT_EQ(system.log, (std::vector<std::string>{"enableInput", "initialize"}));
        }
    }
    ScriptedSystem system;
    AudioDetection detection(system);
    ASSERT_TRUE(detection.startUnit());
    system.last->failing = "dispose";
    EXPECT_FALSE(detection.stopUnit());
    EXPECT_TRUE(detection.hasUnit());  // kept, so it can be disposed of later
    system.last->failing.clear();
}

TEST(AudioDetectionTest, ACycleMeasuresAndSilencesOnlyWhileRunning) {
    ScriptedSystem system;
    AudioDetection detection(system);
    ASSERT_TRUE(detection.startUnit());
    ScriptedUnit& unit = *system.last;
    for (std::size_t i = 0; i < unit.input.size(); ++i)
        unit.input[i] = static_cast<std::int16_t>(i % 2 ? 0 : 1280);  // 640 about its mean
    std::vector<std::int16_t> output(256, 1);
    AudioBuffer buffer;
    AudioBufferList list = listOf(output, buffer);
    std::uint32_t flags = 0;
    EXPECT_EQ(unit.callback(unit.context, &flags, 0, 256, &list), 0);
    EXPECT_FLOAT_EQ(detection.level(), 640);
    EXPECT_EQ(std::count(output.begin(), output.end(), 0), 256);  // nothing played back
    system.last->failing = "dispose";  // keep the unit so its callback can still be called
    detection.stopUnit();
    output.assign(256, 9);
    EXPECT_EQ(unit.callback(unit.context, &flags, 0, 256, &list), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), 9), 256);  // untouched
    EXPECT_FLOAT_EQ(detection.level(), 640);
    system.last->failing.clear();
}

TEST(AudioDetectionTest, TheSimulatedMicrophoneHearsTheClapOnItsAudioThread) {
    ManualRunLoop loop;
    SimulatedMicrophone microphone(loop, *MicrophoneSignal::named("clap"));
    AudioDetection detection(microphone);
    ASSERT_TRUE(detection.startUnit());
    EXPECT_EQ(detection.route(), "Simulated Microphone");
    float before = 0;
    float peak = 0;
    // Read as the sound mode reads it: the loudest cycle since the last poll.
    while (loop.now() < RunLoop::seconds(2.0)) {
        loop.advance(0.05);
        const float level = detection.takeLevel();
        if (loop.now() < RunLoop::seconds(MicrophoneSignal::kFirstClap)) before = std::max(before, level);
        peak = std::max(peak, level);
    }
    EXPECT_LT(AudioDetection::toDbfs(before), -55);  // the room
    EXPECT_GT(AudioDetection::toDbfs(peak), -22);    // the clap's loudest cycle
    EXPECT_NEAR(static_cast<double>(microphone.counters().cycles.load()), 2.0 * 44100 / 1024, 2);
    EXPECT_EQ(microphone.counters().audibleCycles.load(), 0);
    EXPECT_TRUE(detection.stopUnit());
    const long cycles = microphone.counters().cycles.load();
    loop.advance(1.0);
    EXPECT_EQ(microphone.counters().cycles.load(), cycles);  // stopped means stopped
}

}  // namespace
}  // namespace kestrel
