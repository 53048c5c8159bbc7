#include "core/sensors/AudioDetection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kestrel {

AudioDetection::~AudioDetection() {
    // Before this object's process() can no longer be called safely.
    stopUnit();
}

AudioStatus AudioDetection::process(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                                    AudioBufferList* buffers) {
    if (!running()) return 0;
    const AudioStatus status = renderInput(flags, sampleTime, frames, buffers);
    if (detect(*buffers)) {
        const auto at = inputTime();
        loudestAt_.store(at ? at->count() : kNoTime, std::memory_order_release);
    }
    silence(*buffers);
    return status;
}

namespace {

// Sums in double: a cycle of 32-bit samples squared stays exact enough.
template <typename Sample>
void accumulate(const AudioBuffer& buffer, double& sum, double& squares, long& count) {
    const auto* bytes = static_cast<const unsigned char*>(buffer.data);
    const std::size_t samples = buffer.byteSize / sizeof(Sample);
    for (std::size_t i = 0; i < samples; ++i) {
        Sample value;
        std::memcpy(&value, bytes + i * sizeof(Sample),
                    sizeof(Sample));  // buffers need not be aligned
        const auto v = static_cast<double>(value);
        sum += v;
        squares += v * v;
    }
    count += static_cast<long>(samples);
}

}  // namespace

bool AudioDetection::detect(const AudioBufferList& buffers) {
    const long bits = bitsPerSample();
    if (bits != 16 && bits != 32) return false;
    double sum = 0;
    double squares = 0;
    long count = 0;
    for (std::uint32_t i = 0; i < buffers.count; ++i) {
        const AudioBuffer& buffer = buffers.buffers[i];
        if (!buffer.data) continue;
        if (bits == 16)
            accumulate<std::int16_t>(buffer, sum, squares, count);
        else
            accumulate<std::int32_t>(buffer, sum, squares, count);
    }
    if (count == 0) return false;
    const double n = static_cast<double>(count);
    const double mean = sum / n;
    // The spread about the cycle's own mean: the converter's offset drops out.
    double rms = std::sqrt(std::max(0.0, squares / n - mean * mean));
    if (bits == 32) rms /= 65536.0;  // S32 full scale is 2^31, 16-bit full scale 2^15
    const auto cycle = static_cast<float>(rms);
    // The largest since the last take; a concurrent take either sees this
    // cycle or leaves it for the next poll.
    float held = level_.load(std::memory_order_relaxed);
    while (cycle > held) {
        if (level_.compare_exchange_weak(held, cycle, std::memory_order_relaxed)) return true;
    }
    return false;
}

void AudioDetection::silence(AudioBufferList& buffers) {
    for (std::uint32_t i = 0; i < buffers.count; ++i)
        if (buffers.buffers[i].data)
            std::memset(buffers.buffers[i].data, 0, buffers.buffers[i].byteSize);
}

float AudioDetection::toDbfs(float level) {
    if (level <= 0) return -std::numeric_limits<float>::infinity();
    return 20.0f * std::log10(level / kFullScale);
}

float AudioDetection::fromDbfs(float dbfs) { return kFullScale * std::pow(10.0f, dbfs / 20.0f); }

}  // namespace kestrel
