#pragma once

#include "core/platform/AudioUnit.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Drives the platform's input/output unit: creates and configures it for
// microphone input, starts and stops it, and hands every audio cycle to
// `process`. Start and stop on the main thread; `process` runs on the audio
// thread.
class AudioUnitProcessor {
public:
    static constexpr const char* kRouteChangedNotification = "Audio Route Changed";

    explicit AudioUnitProcessor(AudioSystem& system) : system_(&system) {}
    virtual ~AudioUnitProcessor();
    AudioUnitProcessor(const AudioUnitProcessor&) = delete;
    AudioUnitProcessor& operator=(const AudioUnitProcessor&) = delete;

    bool load();
    bool enable();
    bool startUnit();
    bool stopUnit();
    bool restart();
    void updateRoute();

    // One audio cycle: the base pulls n frames of microphone input into the buffers.
    virtual AudioStatus process(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                                AudioBufferList* buffers);

    bool running() const { return running_.load(std::memory_order_acquire); }
    bool hasUnit() const { return unit_ != nullptr; }
    long sampleRate() const { return sampleRate_; }
    void setSampleRate(long rate) { sampleRate_ = rate; }
    long bitsPerSample() const { return bitsPerSample_; }
    long channel() const { return channel_; }
    const std::string& route() const { return route_; }

protected:
    // Audio thread: the current cycle's input time (see AudioUnit), or none.
    std::optional<RunLoop::Duration> inputTime() const {
        return unit_ ? unit_->inputTime() : std::nullopt;
    }
    AudioStatus renderInput(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                            AudioBufferList* buffers);

private:
    static AudioStatus renderCallback(void* context, std::uint32_t* flags, double sampleTime,
                                      std::uint32_t frames, AudioBufferList* buffers);
    bool failed(const char* step, AudioStatus status);

    // Written on the main thread, read by the audio thread.
    std::atomic<bool> running_{false};
    AudioSystem* system_;
    std::unique_ptr<AudioUnit> unit_;
    long sampleRate_ = 0;
    long bitsPerSample_ = 0;
    long channel_ = 0;
    std::string route_;
};

}  // namespace kestrel
