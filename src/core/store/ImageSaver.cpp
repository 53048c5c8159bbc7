#include "core/store/ImageSaver.h"

#include "core/imaging/JpegCodec.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Log.h"
#include "core/platform/SystemUtils.h"
#include "core/store/DirectoryUtils.h"

namespace kestrel {
namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool writeFile(std::span<const std::uint8_t> bytes, const std::string& path) {
    DirectoryUtils::ensureFolderExist(DirectoryUtils::parentFolder(path));
    std::string error;
    if (AtomicFile::write(path, bytes, 0644, &error)) return true;
    Log::error("store: " + error);
    return false;
}

bool encodeAndWrite(const Image& image, double quality, const std::string& path) {
    std::string error;
    const auto jpeg = JpegCodec::encode(image, quality, &error);
    if (!jpeg) {
        Log::error("store: cannot encode " + path + ": " + error);
        return false;
    }
    return writeFile(*jpeg, path);
}

}  // namespace

bool ImageSaver::saveImageData(std::span<const std::uint8_t> bytes, const std::string& path) {
    return writeFile(bytes, path);
}

bool ImageSaver::savePosterData(std::span<const std::uint8_t> bytes, const std::string& path) {
    return writeFile(bytes, path);
}

bool ImageSaver::saveThumbnailData(std::span<const std::uint8_t> bytes, const std::string& photoPath) {
    return writeFile(bytes, getThumbnailFile(photoPath));
}

bool ImageSaver::saveImage(const Image& image, const std::string& path) { return encodeAndWrite(image, 0.95, path); }

bool ImageSaver::saveThumbnail(const Image& image, const std::string& photoPath) {
    return encodeAndWrite(image, 0.95, getThumbnailFile(photoPath));
}

bool ImageSaver::savePoster(const Image& image, const std::string& path) { return encodeAndWrite(image, 0.9, path); }

std::string ImageSaver::getThumbnailFile(const std::string& photoPath) {
    return getThumbnailFile(photoPath, SystemUtils::current().version());
}

std::string ImageSaver::getThumbnailFile(const std::string& photoPath, const std::string& systemVersion) {
    std::string thumbnail = photoPath;
    replaceAll(thumbnail, ".JPG", ".THM");
    replaceAll(thumbnail, ".PNG", ".THM");
    if (systemVersion > "3") replaceAll(thumbnail, "APPLE/IMG", "APPLE/.MISC/IMG");
    return thumbnail;
}

}  // namespace kestrel
