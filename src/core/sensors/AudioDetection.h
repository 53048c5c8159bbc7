#pragma once

#include "core/sensors/AudioUnitProcessor.h"

#include <atomic>

namespace kestrel {

// The microphone's level: each audio cycle's mean signed sample value, in
// 16-bit sample units (32-bit samples are scaled by 1/256). The output is
// silenced so nothing is played back. The level is written on the audio
// thread and read on the main thread.
class AudioDetection : public AudioUnitProcessor {
public:
    using AudioUnitProcessor::AudioUnitProcessor;
    ~AudioDetection() override;

    AudioStatus process(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                        AudioBufferList* buffers) override;
    void detect(const AudioBufferList& buffers);
    static void silence(AudioBufferList& buffers);

    float level() const { return level_.load(std::memory_order_relaxed); }
    void setLevel(float level) { level_.store(level, std::memory_order_relaxed); }

private:
    std::atomic<float> level_{0.0f};
};

}  // namespace kestrel
