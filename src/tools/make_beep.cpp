// Writes Kestrel's count-down beep: a 16-bit mono WAV of a short 880 Hz tone
// with soft edges, so that it clicks neither on nor off. Given a frequency
// and a length, a tone of those (the sound cues).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

void put16(std::ofstream& out, std::uint16_t v) {
    const char bytes[] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(bytes, 2);
}

void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_beep OUT.wav [HZ SECONDS]\n");
        return 2;
    }
    constexpr std::uint32_t kRate = 22050;
    constexpr double kFade = 0.005, kAmplitude = 0.45;
    const double frequency = argc == 4 ? std::atof(argv[2]) : 880;
    const double seconds = argc == 4 ? std::atof(argv[3]) : 0.12;
    if (!(frequency > 20 && frequency < 10000 && seconds > 2 * kFade && seconds < 5)) {
        std::fprintf(stderr, "make_beep: a tone of 20-10000 Hz and up to 5 s\n");
        return 2;
    }
    const auto count = static_cast<std::size_t>(kRate * seconds);
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double edge = std::min({1.0, t / kFade, (seconds - t) / kFade});
        samples[i] = static_cast<std::int16_t>(std::lround(32767 * kAmplitude * edge *
                                                           std::sin(2 * std::numbers::pi * frequency * t)));
    }
    std::ofstream out(argv[1], std::ios::binary);
    const auto bytes = static_cast<std::uint32_t>(count * 2);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (const std::int16_t s : samples) put16(out, static_cast<std::uint16_t>(s));
    if (!out) {
        std::fprintf(stderr, "make_beep: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
