#pragma once

#include "core/base/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// PNG in and out through Cairo, for lossless work and tests. Reading gives
// the working layout (transparent pixels composited over black); writing
// writes the upright picture, opaque (captions keep their alpha).
class PngCodec {
public:
    static std::optional<Image> decode(std::span<const std::uint8_t> png,
                                       std::string* error = nullptr);
    static std::optional<std::vector<std::uint8_t>> encode(const Image& image,
                                                           std::string* error = nullptr);
};

}  // namespace kestrel
