#pragma once

#include "core/base/Image.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Pictures on disk, the format chosen by the file name's extension: .jpg or
// .jpeg (JPEG), .png (PNG), in any case. Writing is atomic: the old file
// stays whole until the new one is complete on disk.
class ImageFile {
public:
    enum class Format { kJpeg, kPng };
    static constexpr double kDefaultQuality = 0.95;
    static constexpr std::uintmax_t kMaxFileSize = 256u << 20;

    static std::optional<Format> formatOf(const std::filesystem::path& file);
    static std::optional<Image> read(const std::filesystem::path& file, std::string* error = nullptr);
    static bool write(const std::filesystem::path& file, const Image& image,
                      double quality = kDefaultQuality, std::string* error = nullptr);
    // The whole file, refusing anything over kMaxFileSize.
    static std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& file,
                                                              std::string* error = nullptr);
};

}  // namespace kestrel
