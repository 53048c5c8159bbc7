#pragma once

#include "core/base/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestrel {

// Writes encoded pictures into the paths the store names, and derives a
// photo's thumbnail path. Every write replaces its file atomically (the old
// file stays whole until the new one is complete) after creating missing
// folders; a failure is logged and answered.
class ImageSaver {
public:
    static bool saveImageData(std::span<const std::uint8_t> bytes, const std::string& path);
    static bool savePosterData(std::span<const std::uint8_t> bytes, const std::string& path);
    static bool saveThumbnailData(std::span<const std::uint8_t> bytes, const std::string& photoPath);
    // Encode first: photo and thumbnail at quality 0.95, poster at 0.9.
    static bool saveImage(const Image& image, const std::string& path);
    static bool saveThumbnail(const Image& image, const std::string& photoPath);
    static bool savePoster(const Image& image, const std::string& path);

    // ".JPG"/".PNG" become ".THM"; on system versions after "3" (plain text
    // order) the thumbnail lies in the photo folder's ".MISC".
    static std::string getThumbnailFile(const std::string& photoPath);
    static std::string getThumbnailFile(const std::string& photoPath, const std::string& systemVersion);
};

}  // namespace kestrel
