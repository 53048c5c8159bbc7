#include "sim/MicrophoneSignal.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

// A repeatable pseudo-random value in [-1, 1) for a sample index.
double noiseAt(std::int64_t index, std::uint64_t salt) {
    std::uint64_t x = static_cast<std::uint64_t>(index) * 0x9E3779B97F4A7C15ull + salt;
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

// Room noise: roughly Gaussian, about 40 units (-58 dBFS) RMS, no DC.
double roomNoise(std::int64_t index) {
    return 35.0 * (noiseAt(index, 1) + noiseAt(index, 2) + noiseAt(index, 3) + noiseAt(index, 4));
}

// A hand clap `t` seconds after its start: the pressure pulse of the hands
// meeting (a positive half-sine of 1.5 ms), then a burst of noise that dies
// away in a few tens of milliseconds.
double clapAt(double t, std::int64_t index) {
    constexpr double kPulse = 0.0015;
    if (t < 0 || t > 0.15) return 0;
    if (t < kPulse) return 24000.0 * std::sin(std::numbers::pi * t / kPulse);
    return 14000.0 * std::exp(-(t - kPulse) / 0.012) * noiseAt(index, 5);
}

std::int16_t clip(double value) {
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

}  // namespace

MicrophoneSignal::MicrophoneSignal(Kind kind, double rate, std::vector<std::int16_t> samples)
    : kind_(kind),
      rate_(rate),
      recording_(std::make_shared<const std::vector<std::int16_t>>(std::move(samples))) {}

std::vector<std::string> MicrophoneSignal::names() {
    return {"silence", "quiet", "clap", "clap-inverted", "loud"};
}

MicrophoneSignal MicrophoneSignal::withOffset(int offset) const {
    MicrophoneSignal signal = *this;
    signal.offset_ += offset;
    return signal;
}

MicrophoneSignal MicrophoneSignal::inverted() const {
    MicrophoneSignal signal = *this;
    signal.inverted_ = !signal.inverted_;
    return signal;
}

std::optional<MicrophoneSignal> MicrophoneSignal::named(const std::string& name) {
    if (name == "silence") return MicrophoneSignal(Kind::kSilence, kNamedRate);
    if (name == "quiet") return MicrophoneSignal(Kind::kQuiet, kNamedRate);
    if (name == "clap") return MicrophoneSignal(Kind::kClap, kNamedRate);
    if (name == "clap-inverted") return MicrophoneSignal(Kind::kClap, kNamedRate).inverted();
    if (name == "loud") return MicrophoneSignal(Kind::kLoud, kNamedRate);
    return std::nullopt;
}

std::optional<MicrophoneSignal> MicrophoneSignal::fromFile(const std::filesystem::path& file,
                                                           std::string* error) {
    SF_INFO info{};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    if (!sound) {
        if (error) *error = sf_strerror(nullptr);
        return std::nullopt;
    }
    constexpr sf_count_t kMaxFrames =
        sf_count_t{60} * 60 * 192000;  // an hour at the highest usual rate
    if (info.channels <= 0 || info.frames <= 0 || info.frames > kMaxFrames ||
        info.samplerate <= 0) {
        sf_close(sound);
        if (error) *error = "no samples, or more than an hour of them";
        return std::nullopt;
    }
    std::vector<short> interleaved(static_cast<std::size_t>(info.frames) *
                                   static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_short(sound, interleaved.data(), info.frames);
    sf_close(sound);
    if (read <= 0) {
        if (error) *error = "no samples could be read";
        return std::nullopt;
    }
    std::vector<std::int16_t> mono(static_cast<std::size_t>(read));
    const auto channels = static_cast<std::size_t>(info.channels);
    for (std::size_t frame = 0; frame < mono.size(); ++frame) {
        long sum = 0;
        for (std::size_t c = 0; c < channels; ++c)
            sum += interleaved[frame * channels + c];
        mono[frame] = static_cast<std::int16_t>(sum / static_cast<long>(channels));
    }
    return MicrophoneSignal(Kind::kRecording, info.samplerate, std::move(mono));
}

std::int16_t MicrophoneSignal::sample(std::int64_t index) const {
    const double t = static_cast<double>(index) / rate_;
    switch (kind_) {
        case Kind::kSilence:
            return 0;
        case Kind::kQuiet:
            return clip(roomNoise(index));
        case Kind::kClap: {
            const double sinceFirst = t - kFirstClap;
            const double sinceClap =
                sinceFirst < 0 ? sinceFirst : std::fmod(sinceFirst, kClapPeriod);
            return clip(roomNoise(index) + clapAt(sinceClap, index));
        }
        case Kind::kLoud: {
            // A 150 Hz buzz with its first harmonics, about -8 dBFS.
            double buzz = 0;
            for (int harmonic = 1; harmonic <= 5; ++harmonic)
                buzz += std::sin(2 * std::numbers::pi * 150.0 * harmonic * t) / harmonic;
            return clip(roomNoise(index) + 9000.0 * buzz);
        }
        case Kind::kRecording: {
            const auto& samples = *recording_;
            const auto size = static_cast<std::int64_t>(samples.size());
            return samples[static_cast<std::size_t>(((index % size) + size) % size)];
        }
    }
    return 0;
}

void MicrophoneSignal::fill(std::int64_t first, std::span<std::int16_t> out) const {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::int16_t heard = sample(first + static_cast<std::int64_t>(i));
        if (offset_ == 0 && !inverted_) {
            out[i] = heard;
            continue;
        }
        const double value = inverted_ ? -static_cast<double>(heard) : heard;
        out[i] = clip(value + offset_);
    }
}

}  // namespace kestrel
