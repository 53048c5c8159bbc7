#pragma once

#include "core/platform/CycleAudioUnit.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct pa_simple;

namespace kestrel {

// An input/output unit over the PulseAudio client library (served by
// PulseAudio or PipeWire): a record stream read on the unit's own audio
// thread in cycles of a fixed number of frames, each handed to the render
// callback. The server converts to the format the application sets. The
// output buffers are only checked, never played.
class PulseAudioUnit final : public CycleAudioUnit {
public:
    static constexpr std::uint32_t kFramesPerCycle = 1024;
    static constexpr double kHardwareRate = 44100;
    static constexpr AudioStatus kNoServer = -10851;

    // `server` none: the default server (PULSE_SERVER, then the session's).
    // With `loop`, each cycle tells when its last sample was heard, on that
    // loop's clock (a loop whose clock is the steady clock's: the real ones).
    explicit PulseAudioUnit(std::optional<std::string> server = std::nullopt,
                            const RunLoop* loop = nullptr);
    ~PulseAudioUnit() override;
    PulseAudioUnit(const PulseAudioUnit&) = delete;
    PulseAudioUnit& operator=(const PulseAudioUnit&) = delete;

    AudioStatus streamFormat(Scope scope, std::uint32_t element,
                             AudioStreamFormat& format) const override;
    AudioStatus setStreamFormat(Scope scope, std::uint32_t element,
                                const AudioStreamFormat& format) override;
    AudioStatus initialize() override { return 0; }
    AudioStatus start() override;
    AudioStatus render(std::uint32_t* flags, double sampleTime, std::uint32_t element,
                       std::uint32_t frames, AudioBufferList* buffers) override;
    // The cycle's read less what the server still holds after it (the
    // stream's latency): when its last sample reached the microphone. A
    // source that delivers in blocks hands a new stream samples older than
    // the stream, and says so in its latency.
    std::optional<RunLoop::Duration> inputTime() const override;
    AudioStatus dispose() override;

    // Opens and closes a record stream: whether a server answers, and if not why.
    static bool probe(const std::optional<std::string>& server, std::string* error);

    long cycles() const { return cycles_.load(); }
    long audibleCycles() const { return audibleCycles_.load(); }

private:
    void audioThread();
    void noteCycleTime();
    void stop();

    std::optional<std::string> server_;
    const RunLoop* loop_;
    // The loop's clock less the steady clock's, read on the main thread at
    // start: the audio thread never reads the loop.
    RunLoop::Duration steadyToLoop_{};
    AudioStreamFormat client_ = AudioStreamFormat::mono16(kHardwareRate);
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    // Audio thread only.
    std::vector<std::uint8_t> input_;
    std::vector<std::uint8_t> output_;
    std::atomic<long> cycles_{0};
    std::atomic<long> audibleCycles_{0};
    static constexpr RunLoop::Duration::rep kNoTime = std::numeric_limits<RunLoop::Duration::rep>::min();
    std::atomic<RunLoop::Duration::rep> inputTime_{kNoTime};
};

}  // namespace kestrel
