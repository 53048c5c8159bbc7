#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::fuzz {

// The entry points that read outside data, as the fuzzers and the corpus
// regression test drive them. Each must neither crash nor hang on any input;
// broken invariants abort.

// Input: a whole file. Reads it as JPEG sections; a file that parses writes
// back to the same bytes, and again after its EXIF block is replaced.
void sectionFileRoundTrip(const std::uint8_t* data, std::size_t size);

// Input: an EXIF block without its "Exif\0\0" header (TIFF data). It is put
// into a small JPEG file, the GPS position read back and every entry rendered.
void gpsRead(const std::uint8_t* data, std::size_t size);

}  // namespace kestrel::fuzz
