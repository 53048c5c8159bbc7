#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// The colour modes' per-pixel passes over a row of 32-bit pixels (blue in
// the low byte, the skipped fourth byte in the high one, which every mode
// leaves as it is), each a vector kernel chosen for the processor when first
// called (Highway: AVX-512, AVX2, SSE4 on x86, NEON on ARM), beside the plain
// loop whose bytes it gives on every target.
//
//   1           each colour byte becomes the pixel's grey, the
//               luminosity blend onto black (see greyOf)
//   2, 4, 5     each pixel's colour bytes become colour[grey]
//   3           hard light onto black: each colour byte v ≤ 127 to 0, above to 2v − 255
//   6           the red byte only; 7 green and blue only
//   8           negative: 255 − v in each colour byte
// Other modes leave the row as it is. `colour` (256 words, bytes blue,
// green, red, 0) is read by modes 2, 4 and 5 only.
class ColorModeRows {
public:
    static void apply(int colorMode, const std::uint32_t* colour, std::uint32_t* pixels,
                      std::size_t count);
    static void applyReference(int colorMode, const std::uint32_t* colour, std::uint32_t* pixels,
                               std::size_t count);

    // The grey level of the luminosity blend onto black, as Cairo's renderer
    // computes it: bytes to floats by 1/255, single-precision weights, then
    // the float-to-8-bit step that truncates 256 f. The tinted modes amplify
    // the grey up to threefold, so it must be exactly the library's.
    static std::uint32_t greyOf(std::uint32_t pixel);
};

}  // namespace kestrel
