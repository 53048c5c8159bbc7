#include "core/sensors/AudioDetection.h"

#include <cstring>

namespace kestrel {

AudioDetection::~AudioDetection() {
    // Before this object's process() can no longer be called safely.
    stopUnit();
}

AudioStatus AudioDetection::process(std::uint32_t* flags, double sampleTime, std::uint32_t frames,
                                    AudioBufferList* buffers) {
    if (!running()) return 0;
    const AudioStatus status = renderInput(flags, sampleTime, frames, buffers);
    detect(*buffers);
    silence(*buffers);
    return status;
}

namespace {

template <typename Sample>
void accumulate(const AudioBuffer& buffer, float& sum, long& count) {
    const auto* bytes = static_cast<const unsigned char*>(buffer.data);
    const std::size_t samples = buffer.byteSize / sizeof(Sample);
    for (std::size_t i = 0; i < samples; ++i) {
        Sample value;
        std::memcpy(&value, bytes + i * sizeof(Sample),
                    sizeof(Sample));  // buffers need not be aligned
        sum += static_cast<float>(value);
    }
    count += static_cast<long>(samples);
}

}  // namespace

void AudioDetection::detect(const AudioBufferList& buffers) {
    const long bits = bitsPerSample();
    if (bits != 16 && bits != 32) return;
    float sum = 0;
    long count = 0;
    for (std::uint32_t i = 0; i < buffers.count; ++i) {
        const AudioBuffer& buffer = buffers.buffers[i];
        if (!buffer.data) continue;
        if (bits == 16)
            accumulate<std::int16_t>(buffer, sum, count);
        else
            accumulate<std::int32_t>(buffer, sum, count);
    }
    if (count == 0) return;
    float mean = sum / static_cast<float>(count);
    if (bits == 32) mean *= 0.00390625f;
    setLevel(mean);
}

void AudioDetection::silence(AudioBufferList& buffers) {
    for (std::uint32_t i = 0; i < buffers.count; ++i)
        if (buffers.buffers[i].data)
            std::memset(buffers.buffers[i].data, 0, buffers.buffers[i].byteSize);
}

}  // namespace kestrel
