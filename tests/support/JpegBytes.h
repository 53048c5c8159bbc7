#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::test {

using Bytes = std::vector<std::uint8_t>;

// JPEG files made for tests: a real encoded picture, and segments spliced in.
class JpegBytes {
public:
    // A w × h picture as Kestrel's encoder writes it (SOI, JFIF APP0, tables,
    // one scan, EOI).
    static Bytes encoded(int width = 64, int height = 48);
    // A segment: 0xFF, marker, big-endian length, content.
    static Bytes segment(std::uint8_t marker, const Bytes& content);
    static Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
    // `jpeg` with `insert` placed at byte offset `at`.
    static Bytes spliced(const Bytes& jpeg, std::size_t at, const Bytes& insert);
    // Offset just after the SOI and APP0 segments of an encoded picture.
    static std::size_t afterApp0(const Bytes& jpeg);
    static Bytes read(const std::filesystem::path& file);
    static void write(const std::filesystem::path& file, const Bytes& bytes);
};

}  // namespace kestrel::test
