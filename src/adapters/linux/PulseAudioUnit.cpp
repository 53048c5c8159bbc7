#include "adapters/linux/PulseAudioUnit.h"

#include "core/platform/Log.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kestrel {
namespace {

pa_simple* openRecord(const std::optional<std::string>& server, const AudioStreamFormat& format,
                      std::string* error) {
    pa_sample_spec spec{};
    spec.format = format.bitsPerChannel == 32 ? PA_SAMPLE_S32LE : PA_SAMPLE_S16LE;
    spec.rate = static_cast<std::uint32_t>(format.sampleRate);
    spec.channels = static_cast<std::uint8_t>(format.channelsPerFrame);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(-1);
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = PulseAudioUnit::kFramesPerCycle * format.bytesPerFrame;  // one cycle's latency
    int code = 0;
    pa_simple* stream =
        pa_simple_new(server ? server->c_str() : nullptr, "Kestrel", PA_STREAM_RECORD, nullptr,
                      "Sound trigger", &spec, nullptr, &attr, &code);
    if (!stream && error) *error = pa_strerror(code);
    return stream;
}

}  // namespace

PulseAudioUnit::PulseAudioUnit(std::optional<std::string> server, const RunLoop* loop)
    : server_(std::move(server)), loop_(loop) {}

namespace {

RunLoop::Duration steadyNow() {
    return std::chrono::duration_cast<RunLoop::Duration>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

PulseAudioUnit::~PulseAudioUnit() { stop(); }

bool PulseAudioUnit::probe(const std::optional<std::string>& server, std::string* error) {
    pa_simple* stream = openRecord(server, AudioStreamFormat::mono16(kHardwareRate), error);
    if (!stream) return false;
    pa_simple_free(stream);
    return true;
}

AudioStatus PulseAudioUnit::streamFormat(Scope, std::uint32_t element,
                                         AudioStreamFormat& format) const {
    if (element > kInputElement) return kInvalidElement;
    format = AudioStreamFormat::mono16(kHardwareRate);
    return 0;
}

AudioStatus PulseAudioUnit::setStreamFormat(Scope, std::uint32_t element,
                                            const AudioStreamFormat& format) {
    if (element > kInputElement) return kInvalidElement;
    if (!format.packedPcm() || format.sampleRate < 1000 || format.sampleRate > 384000)
        return kFormatNotSupported;
    client_ = format;  // the server converts for us
    return 0;
}

AudioStatus PulseAudioUnit::start() {
    if (thread_.joinable()) return 0;
    std::string error;
    stream_ = openRecord(server_, client_, &error);
    if (!stream_) {
        Log::warning("microphone: no sound server: " + error);
        return kNoServer;
    }
    const std::size_t bytes = std::size_t{kFramesPerCycle} * client_.bytesPerFrame;
    input_.assign(bytes, 0);
    output_.assign(bytes, 0);
    if (loop_) steadyToLoop_ = loop_->now() - steadyNow();
    inputTime_ = kNoTime;
    quit_ = false;
    thread_ = std::thread([this] { audioThread(); });
    return 0;
}

void PulseAudioUnit::audioThread() {
    double sampleTime = 0;
    while (!quit_.load(std::memory_order_acquire)) {
        int code = 0;
        if (pa_simple_read(stream_, input_.data(), input_.size(), &code) < 0) {
            Log::warning(std::string("microphone: reading stopped: ") + pa_strerror(code));
            return;
        }
        noteCycleTime();
        if (renderCycle(output_, client_.channelsPerFrame, kFramesPerCycle, sampleTime))
            ++audibleCycles_;
        ++cycles_;
        sampleTime += kFramesPerCycle;
    }
}

void PulseAudioUnit::noteCycleTime() {
    if (!loop_) return;
    int code = 0;
    const pa_usec_t held = pa_simple_get_latency(stream_, &code);
    if (held == static_cast<pa_usec_t>(-1)) {
        inputTime_.store(kNoTime, std::memory_order_release);
        return;
    }
    const RunLoop::Duration heard =
        steadyNow() - std::chrono::microseconds(static_cast<std::int64_t>(held));
    inputTime_.store((heard + steadyToLoop_).count(), std::memory_order_release);
}

std::optional<RunLoop::Duration> PulseAudioUnit::inputTime() const {
    const RunLoop::Duration::rep time = inputTime_.load(std::memory_order_acquire);
    if (time == kNoTime) return std::nullopt;
    return RunLoop::Duration(time);
}

AudioStatus PulseAudioUnit::render(std::uint32_t*, double, std::uint32_t element,
                                   std::uint32_t frames, AudioBufferList* buffers) {
    if (element != kInputElement || !inputEnabled() || !buffers) return kInvalidElement;
    const std::size_t available =
        std::min<std::size_t>(frames, kFramesPerCycle) * client_.bytesPerFrame;
    for (std::uint32_t b = 0; b < buffers->count; ++b) {
        AudioBuffer& buffer = buffers->buffers[b];
        if (buffer.data)
            std::memcpy(buffer.data, input_.data(),
                        std::min<std::size_t>(buffer.byteSize, available));
    }
    return 0;
}

void PulseAudioUnit::stop() {
    quit_.store(true, std::memory_order_release);
    if (thread_.joinable()) thread_.join();  // the read in progress ends within one cycle
    if (stream_) pa_simple_free(stream_);
    stream_ = nullptr;
}

AudioStatus PulseAudioUnit::dispose() {
    stop();
    return 0;
}

}  // namespace kestrel
