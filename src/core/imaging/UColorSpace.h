#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

// Class-wide luminance tables (ITU-R BT.601, studio range, fixed point),
// built once and read-only afterwards:
//   Y = sCliping[(sRedCy[R] + sGreenCy[G] + sBlueCy[B] + 4096) >> 8]
// gives 16 for black and 235 for white.
class UColorSpace {
public:
    struct Tables {
        std::array<std::int32_t, 256> sRedCy;
        std::array<std::int32_t, 256> sGreenCy;
        std::array<std::int32_t, 256> sBlueCy;
        // sCliping[k] for k from −384 to 639 lies at sClipingTable[k + 384].
        std::array<std::uint8_t, 1024> sClipingTable;
        std::uint8_t clip(std::int32_t k) const {
            return sClipingTable[static_cast<std::size_t>(k + 384)];
        }
    };

    static const Tables& tables();

    static std::uint8_t luma(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const Tables& t = tables();
        return t.clip((t.sRedCy[red] + t.sGreenCy[green] + t.sBlueCy[blue] + 4096) >> 8);
    }
};

}  // namespace kestrel
