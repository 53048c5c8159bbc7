#include "core/imaging/ImageFile.h"

#include "core/imaging/JpegCodec.h"
#include "core/imaging/PngCodec.h"
#include "core/platform/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace kestrel {
namespace {

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

}  // namespace

std::optional<ImageFile::Format> ImageFile::formatOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".jpg" || extension == ".jpeg") return Format::kJpeg;
    if (extension == ".png") return Format::kPng;
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ImageFile::readBytes(const std::filesystem::path& file,
                                                              std::string* error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return fail(error, "cannot read " + file.string() + ": " + ec.message()), std::nullopt;
    if (size > kMaxFileSize)
        return fail(error, file.string() + " is too large to be a picture"), std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return fail(error, "cannot read " + file.string()), std::nullopt;
    return bytes;
}

std::optional<Image> ImageFile::read(const std::filesystem::path& file, std::string* error) {
    const auto format = formatOf(file);
    if (!format)
        return fail(error, file.string() + ": unknown picture format (use .jpg, .jpeg or .png)"),
               std::nullopt;
    const auto bytes = readBytes(file, error);
    if (!bytes) return std::nullopt;
    std::string why;
    auto image = *format == Format::kJpeg ? JpegCodec::decode(*bytes, 1, &why) : PngCodec::decode(*bytes, &why);
    if (!image) fail(error, file.string() + ": " + why);
    return image;
}

bool ImageFile::write(const std::filesystem::path& file, const Image& image, double quality,
                      std::string* error) {
    const auto format = formatOf(file);
    if (!format) return fail(error, file.string() + ": unknown picture format (use .jpg, .jpeg or .png)");
    std::string why;
    const auto bytes = *format == Format::kJpeg ? JpegCodec::encode(image, quality, &why)
                                                : PngCodec::encode(image, &why);
    if (!bytes) return fail(error, file.string() + ": " + why);
    if (!AtomicFile::write(file, *bytes, 0644, &why)) return fail(error, why);
    return true;
}

}  // namespace kestrel
