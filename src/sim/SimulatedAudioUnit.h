#pragma once

#include "core/platform/CycleAudioUnit.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"
#include "sim/MicrophoneSignal.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrel {

// Counts shared by the units of one simulated microphone (any thread).
struct AudioUnitCounters {
    std::atomic<long> units{0};
    std::atomic<long> cycles{0};
    std::atomic<long> audibleCycles{0};  // cycles whose output the callback left with sound in it
};

// An input/output unit over a simulated microphone. Once started it runs
// one audio cycle of a fixed number of frames per cycle period on its own
// audio thread. The cycles are paced by the run loop (so on virtual time
// they come as the loop advances): each tick hands the cycle to the audio
// thread and waits for it. The microphone hears the signal at the loop's
// current time; what the callback leaves in the output buffers is "played"
// (only counted).
class SimulatedAudioUnit final : public CycleAudioUnit {
public:
    static constexpr std::uint32_t kFramesPerCycle = 1024;
    static constexpr AudioStatus kUninitialized = -10867;

    SimulatedAudioUnit(RunLoop& loop, MicrophoneSignal signal,
                       std::shared_ptr<AudioUnitCounters> counters);
    ~SimulatedAudioUnit() override;

    AudioStatus streamFormat(Scope scope, std::uint32_t element,
                             AudioStreamFormat& format) const override;
    AudioStatus setStreamFormat(Scope scope, std::uint32_t element,
                                const AudioStreamFormat& format) override;
    AudioStatus initialize() override;
    AudioStatus start() override;
    AudioStatus render(std::uint32_t* flags, double sampleTime, std::uint32_t element,
                       std::uint32_t frames, AudioBufferList* buffers) override;
    AudioStatus dispose() override;
    // The end of the cycle on the loop's clock: the microphone has no latency.
    std::optional<RunLoop::Duration> inputTime() const override;

private:
    void runCycle(std::int64_t firstSample);
    void audioThread();
    void stop();

    RunLoop* loop_;
    MicrophoneSignal signal_;
    AudioStreamFormat hardware_;
    AudioStreamFormat client_;
    bool initialized_ = false;
    Timer timer_;

    // The hand-over between the pacing tick and the audio thread.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::int64_t pending_ = -1;  // first sample of the cycle to run, -1 when none
    bool done_ = false;
    bool quit_ = false;
    std::thread thread_;

    // Audio thread only.
    std::vector<std::int16_t> microphone_;
    std::vector<std::uint8_t> output_;
    std::int64_t cycleStart_ = 0;
    std::shared_ptr<AudioUnitCounters> counters_;
};

}  // namespace kestrel
