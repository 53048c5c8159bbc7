#include "sim/SimulatedAudioUnit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrel {

SimulatedAudioUnit::SimulatedAudioUnit(RunLoop& loop, MicrophoneSignal signal,
                                       std::shared_ptr<AudioUnitCounters> counters)
    : loop_(&loop),
      signal_(std::move(signal)),
      hardware_(AudioStreamFormat::mono16(signal_.sampleRate())),
      client_(hardware_),
      timer_(loop),
      microphone_(kFramesPerCycle),
      counters_(std::move(counters)) {}

SimulatedAudioUnit::~SimulatedAudioUnit() { stop(); }

AudioStatus SimulatedAudioUnit::streamFormat(Scope, std::uint32_t element,
                                             AudioStreamFormat& format) const {
    if (element > kInputElement) return kInvalidElement;
    format = hardware_;
    return 0;
}

AudioStatus SimulatedAudioUnit::setStreamFormat(Scope, std::uint32_t element,
                                                const AudioStreamFormat& format) {
    if (element > kInputElement) return kInvalidElement;
    // Packed integer samples at the microphone's own rate: no resampling here.
    if (!format.packedPcm() || std::abs(format.sampleRate - hardware_.sampleRate) > 0.5)
        return kFormatNotSupported;
    client_ = format;
    return 0;
}

AudioStatus SimulatedAudioUnit::initialize() {
    initialized_ = true;
    return 0;
}

AudioStatus SimulatedAudioUnit::start() {
    if (!initialized_) return kUninitialized;
    if (thread_.joinable()) return 0;
    output_.assign(std::size_t{kFramesPerCycle} * client_.bytesPerFrame, 0);
    quit_ = false;
    thread_ = std::thread([this] { audioThread(); });
    const double period = kFramesPerCycle / hardware_.sampleRate;
    timer_.startRepeating(RunLoop::seconds(period), [this] {
        const double now = RunLoop::toSeconds(loop_->now());
        runCycle(static_cast<std::int64_t>(std::llround(now * hardware_.sampleRate)) -
                 kFramesPerCycle);
    });
    return 0;
}

void SimulatedAudioUnit::runCycle(std::int64_t firstSample) {
    std::unique_lock lock(mutex_);
    pending_ = firstSample;
    done_ = false;
    wake_.notify_all();
    wake_.wait(lock, [this] { return done_ || quit_; });
}

void SimulatedAudioUnit::audioThread() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ >= 0 || quit_; });
        if (quit_) return;
        cycleStart_ = pending_;
        pending_ = -1;
        lock.unlock();
        if (renderCycle(output_, client_.channelsPerFrame, kFramesPerCycle,
                        static_cast<double>(cycleStart_)))
            ++counters_->audibleCycles;
        ++counters_->cycles;
        lock.lock();
        done_ = true;
        wake_.notify_all();
    }
}

AudioStatus SimulatedAudioUnit::render(std::uint32_t*, double, std::uint32_t element,
                                       std::uint32_t frames, AudioBufferList* buffers) {
    if (element != kInputElement || !inputEnabled() || !buffers) return kInvalidElement;
    frames = std::min(frames, kFramesPerCycle);
    signal_.fill(cycleStart_, std::span(microphone_.data(), frames));
    for (std::uint32_t b = 0; b < buffers->count; ++b) {
        AudioBuffer& buffer = buffers->buffers[b];
        if (!buffer.data) continue;
        const std::uint32_t channels = std::max<std::uint32_t>(buffer.channels, 1);
        const std::size_t bytesPerSample = client_.bitsPerChannel / 8;
        const std::size_t count =
            std::min<std::size_t>(buffer.byteSize / bytesPerSample, std::size_t{frames} * channels);
        auto* out = static_cast<std::uint8_t*>(buffer.data);
        for (std::size_t i = 0; i < count; ++i) {
            const std::int16_t value = microphone_[i / channels];
            if (bytesPerSample == 2) {
                std::memcpy(out + i * 2, &value, 2);
            } else {
                const std::int32_t wide = static_cast<std::int32_t>(value) * 65536;
                std::memcpy(out + i * 4, &wide, 4);
            }
        }
    }
    return 0;
}

std::optional<RunLoop::Duration> SimulatedAudioUnit::inputTime() const {
    return RunLoop::seconds(static_cast<double>(cycleStart_ + kFramesPerCycle) / hardware_.sampleRate);
}

void SimulatedAudioUnit::stop() {
    timer_.stop();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

AudioStatus SimulatedAudioUnit::dispose() {
    stop();
    initialized_ = false;
    return 0;
}

}  // namespace kestrel
