#pragma once

#include "core/base/Bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Encodes one large picture on several cores: horizontal bands of whole
// MCU rows are encoded at once, each with a restart marker after every MCU
// row, and stitched into one standard baseline JPEG (the restart markers
// renumbered to run on across the bands), which every reader decodes to the
// very pixels a one-piece encode gives. Quality 1–100, 4:2:0, JFIF, no
// metadata, like JpegCodec. Any thread. The bands are shared among as many
// threads as ParallelRows uses.
class JpegBandEncoder {
public:
    // Pictures with fewer rows are not worth splitting.
    static constexpr int kMinRows = 512;
    // Bands per thread worth making: a thread that starts late leaves its
    // share to the others in pieces this small.
    static constexpr int kBandsPerThread = 4;
    // None (cause in `error`) when libjpeg refuses the picture.
    static std::optional<std::vector<std::uint8_t>> encode(const Bitmap& bitmap, int quality, int bands,
                                                           std::string* error = nullptr);
};

}  // namespace kestrel
