#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// Draws an opaque 32-bit picture (blue, green, red, a skipped fourth byte)
// into another at any scale, bilinearly, computing only the target's own
// pixels: the live view scales the part of a camera frame it shows, thirty
// times a second, and nothing else. The fourth byte of every target pixel is
// 0xff, as opaque pixels must have it for the window.
//
// Positions are resolved to 1/64 of a source pixel across and 1/128 down,
// which keeps every sum in 16 bits; the vector path (BilinearKernels, for
// whichever vectors the processor has) and the portable one give the same
// bytes.
class BilinearScaler {
public:
    struct Source {
        const std::uint8_t* pixels;
        std::size_t bytesPerRow;
        int width;
        int height;
    };
    struct Target {
        std::uint8_t* pixels;
        std::size_t bytesPerRow;
        int width;
        int height;
    };
    // Where the whole source lies in the target's pixel coordinates: its top
    // left corner and its size there (either may reach beyond the target;
    // target pixels beyond the source repeat its edge).
    struct Placement {
        double x;
        double y;
        double width;
        double height;
    };
    enum class Path { kFastest, kPortable };

    static void scale(const Source& source, const Target& target, const Placement& placement,
                      Path path = Path::kFastest);
    // Whether this processor runs a vector path (any processor Highway has
    // vector code for: every x86-64 with SSSE3, every aarch64).
    static bool hasVectorPath();
};

}  // namespace kestrel
