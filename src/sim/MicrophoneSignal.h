#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// What a simulated microphone hears: 16-bit mono samples as a function of
// time, the same for every listener. Named sounds are made on the fly and
// repeat where they have events; a WAV file plays in a loop. Immutable, so
// any thread may read it.
class MicrophoneSignal {
public:
    static constexpr double kNamedRate = 44100;
    // Seconds from the start to the first clap, and between claps.
    static constexpr double kFirstClap = 1.5;
    static constexpr double kClapPeriod = 4.0;

    // "silence"; "quiet" (room noise); "clap" (room noise, a hand clap at
    // 1.5 s and every 4 s after); "clap-inverted" (the same, heard by a
    // microphone of the opposite polarity); "loud" (a sustained loud buzz over
    // the room noise). None for another name.
    static std::optional<MicrophoneSignal> named(const std::string& name);
    // Any file libsndfile reads, channels mixed down to one; none (with the
    // reason) when it cannot be read or is empty.
    static std::optional<MicrophoneSignal> fromFile(const std::filesystem::path& file,
                                                    std::string* error = nullptr);
    static std::vector<std::string> names();

    // The same sound through a converter that adds `offset` units to every
    // sample (a DC offset), or that turns it upside down.
    MicrophoneSignal withOffset(int offset) const;
    MicrophoneSignal inverted() const;

    double sampleRate() const { return rate_; }
    // Samples [first, first + out.size()) of the endless signal.
    void fill(std::int64_t first, std::span<std::int16_t> out) const;

private:
    enum class Kind { kSilence, kQuiet, kClap, kLoud, kRecording };
    MicrophoneSignal(Kind kind, double rate, std::vector<std::int16_t> samples = {});
    std::int16_t sample(std::int64_t index) const;

    Kind kind_;
    double rate_;
    int offset_ = 0;
    bool inverted_ = false;
    std::shared_ptr<const std::vector<std::int16_t>> recording_;
};

}  // namespace kestrel
