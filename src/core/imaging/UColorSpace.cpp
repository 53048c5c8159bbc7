#include "core/imaging/UColorSpace.h"

namespace kestrel {

const UColorSpace::Tables& UColorSpace::tables() {
    static const Tables built = [] {
        Tables t{};
        for (int i = 0; i < 256; ++i) {
            const auto index = static_cast<std::size_t>(i);
            t.sRedCy[index] = 66 * i;
            t.sGreenCy[index] = 129 * i;
            t.sBlueCy[index] = 25 * i;
        }
        for (int k = -384; k < 640; ++k)
            t.sClipingTable[static_cast<std::size_t>(k + 384)] =
                static_cast<std::uint8_t>(k < 0 ? 0 : k > 255 ? 255 : k);
        return t;
    }();
    return built;
}

}  // namespace kestrel
