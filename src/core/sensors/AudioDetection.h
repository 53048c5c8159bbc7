#pragma once

#include "core/sensors/AudioUnitProcessor.h"

#include <atomic>
#include <cstdint>
#include <optional>

namespace kestrel {

// How loud the microphone is: each audio cycle's RMS about that cycle's own
// mean (so a DC offset of the converter counts for nothing, and a sound
// counts the same whichever way its first pressure wave goes), in 16-bit
// sample units; 32-bit samples are scaled by 1/65536. The detector keeps the
// largest cycle level since the level was last taken, so a poll slower than
// the cycles still sees a short burst. The output is silenced so nothing is
// played back.
//
// Threads: process()/detect() run on the audio thread; they allocate nothing
// and take no lock (the level is one lock-free atomic). takeLevel(),
// level() and setLevel() may be called from any thread (the main thread).
class AudioDetection : public AudioUnitProcessor {
public:
    using AudioUnitProcessor::AudioUnitProcessor;
    ~AudioDetection() override;

    AudioStatus process(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                        AudioBufferList* buffers) override;
    // Answers whether the cycle is the loudest since the last take.
    bool detect(const AudioBufferList& buffers);
    static void silence(AudioBufferList& buffers);

    // The loudest cycle since the last take, then 0 until a cycle comes.
    float takeLevel() { return level_.exchange(0.0f, std::memory_order_relaxed); }
    // When the loudest cycle heard so far was (see AudioUnit::inputTime), or
    // none when the unit does not tell. Read it with the level it belongs to.
    std::optional<RunLoop::Duration> loudestTime() const {
        const std::int64_t at = loudestAt_.load(std::memory_order_acquire);
        if (at == kNoTime) return std::nullopt;
        return RunLoop::Duration(at);
    }
    // The loudest cycle since the last take, left in place.
    float level() const { return level_.load(std::memory_order_relaxed); }
    void setLevel(float level) { level_.store(level, std::memory_order_relaxed); }

    // Full scale in 16-bit units, for levels in dBFS (RMS of a full-scale square wave = 0 dBFS).
    static constexpr float kFullScale = 32768.0f;
    static float toDbfs(float level);
    static float fromDbfs(float dbfs);

private:
    static_assert(std::atomic<float>::is_always_lock_free,
                  "the audio thread must never wait for the level");
    std::atomic<float> level_{0.0f};
    // Written by the audio thread when a cycle becomes the loudest, just
    // after its level: a take between the two reads the time of the cycle
    // before, a cycle's length off at most.
    static constexpr std::int64_t kNoTime = INT64_MIN;
    std::atomic<std::int64_t> loudestAt_{kNoTime};
};

}  // namespace kestrel
