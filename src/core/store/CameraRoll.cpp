#include "core/store/CameraRoll.h"

#include "core/imaging/ImageDraw.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Log.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/FileUtilsText.h"
#include "core/store/ImageSaver.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace kestrel {

CameraRoll::CameraRoll(std::string albumPath, const SystemUtils& system)
    : albumPath_(std::move(albumPath)), system_(&system) {}

CameraRoll::~CameraRoll() { reset(); }

std::string CameraRoll::xmlFile() const { return albumPath_ + "/.MISC/Info.plist"; }
std::string CameraRoll::getPosterPath() const { return albumPath_ + "/.MISC/PosterImage.jpg"; }
bool CameraRoll::fileAccess() const { return FileUtils::fileExists(xmlFile()); }

void CameraRoll::reset() {
    parsed_ = false;
    for (auto& folder : folders_) folder->reset();
    folders_.clear();
}

void CameraRoll::parse(bool fullParse) {
    if (parsed_) return;
    parsed_ = true;
    if (!fileAccess()) return;
    parseFiles(InfoRecord::read(xmlFile()), fullParse);
    files_ = imageFiles();
}

void CameraRoll::parseFiles(const InfoRecord& record, bool fullParse) {
    DIR* dir = ::opendir(albumPath_.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!FileUtilsText::endsWith(name, "APPLE")) continue;
        folders_.push_back(std::make_unique<CameraRollFolder>(albumPath_, name));
        folders_.back()->parse(record, fullParse);
    }
    ::closedir(dir);
}

int CameraRoll::countImages() const {
    int count = 0;
    for (const auto& folder : folders_) count += folder->countImages();
    return count;
}

void CameraRoll::collectImages(std::vector<std::shared_ptr<CameraRollFileInfo>>& list) const {
    for (const auto& folder : folders_) folder->collectImages(list);
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return CameraRollFileInfo::earlier(*a, *b); });
}

std::vector<std::shared_ptr<CameraRollFileInfo>> CameraRoll::imageFiles() const {
    std::vector<std::shared_ptr<CameraRollFileInfo>> list;
    collectImages(list);
    return list;
}

CameraRollFolder& CameraRoll::folderForNextSave() {
    const CameraRollFolder* lastFull = nullptr;
    for (const auto& folder : folders_) {
        if (folder->lastRecord() == 0) continue;
        if (folder->lastRecord() >= CameraRollFolder::kLastNumber) {
            lastFull = folder.get();
            continue;
        }
        return *folder;
    }
    const int number = lastFull ? lastFull->folderSequence() + 1 : 100;
    auto created = std::make_unique<CameraRollFolder>(albumPath_, std::to_string(number) + "APPLE");
    ::mkdir(created->path().c_str(), 0755);  // an existing folder is fine
    folders_.push_back(std::move(created));
    return *folders_.back();
}

CameraRollFolder* CameraRoll::findFolder(const std::string& name) const {
    CameraRollFolder* found = nullptr;
    for (const auto& folder : folders_)
        if (folder->folder() == name) found = folder.get();
    return found;
}

std::optional<std::string> CameraRoll::saveImageData(std::span<const std::uint8_t> image,
                                                     std::span<const std::uint8_t> thumbnail,
                                                     std::span<const std::uint8_t> poster) {
    DirectoryUtils::ensureFolderExist(albumPath_);
    // Numbers already taken on disk are skipped (and recorded as used), so a
    // record that lags behind the folder never costs a photo.
    for (int attempt = 0; attempt < 100 * CameraRollFolder::kLastNumber; ++attempt) {
        CameraRollFolder& folder = folderForNextSave();
        const CameraRollFileInfo target = folder.getSaveFile(versionNumber());
        bool taken = false;
        std::string error;
        if (!AtomicFile::create(target.file(), image, 0644, taken, &error)) {
            if (taken) {
                folder.noteSaved(target.fileSequence());
                continue;
            }
            Log::error("store: cannot save the photo: " + error);
            return std::nullopt;
        }
        folder.noteSaved(target.fileSequence());
        // The photo is safe; a thumbnail, poster or record that fails is logged.
        ImageSaver::saveImageData(thumbnail, ImageSaver::getThumbnailFile(target.file(), system_->version()));
        ImageSaver::savePosterData(poster, getPosterPath());
        writeRecord(folder);
        return target.file();
    }
    Log::error("store: no free photo number left in " + albumPath_);
    return std::nullopt;
}

bool CameraRoll::writeRecord(const CameraRollFolder& folder) {
    InfoRecord record = InfoRecord::read(xmlFile());
    folder.update(record);
    DirectoryUtils::ensureFolderExist(albumPath_ + "/.MISC");
    std::string error;
    if (record.write(xmlFile(), &error)) return true;
    Log::error("store: cannot write " + xmlFile() + ": " + error);
    return false;
}

std::optional<std::string> CameraRoll::saveImage(const Image& image, const Image& thumbnail, const Image& poster) {
    const auto photo = JpegCodec::encode(image, 0.95);
    const auto thumb = JpegCodec::encode(thumbnail, 0.95);
    const auto post = JpegCodec::encode(poster, 0.9);
    if (!photo || !thumb || !post) {
        Log::error("store: cannot encode the photo to save");
        return std::nullopt;
    }
    return saveImageData(*photo, *thumb, *post);
}

std::optional<std::string> CameraRoll::findNewPhoto(const CameraRoll& newer) const {
    const int version = versionNumber();
    if (newer.folders_.size() > folders_.size()) {
        for (auto it = newer.folders_.rbegin(); it != newer.folders_.rend(); ++it) {
            if (findFolder((*it)->folder())) continue;
            const std::string photo = (*it)->lastPhoto(version);
            if (FileUtils::fileExists(photo)) return photo;
            return std::nullopt;
        }
        return std::nullopt;
    }
    for (auto it = newer.folders_.rbegin(); it != newer.folders_.rend(); ++it) {
        const CameraRollFolder* older = findFolder((*it)->folder());
        if ((*it)->lastRecord() > (older ? older->lastRecord() : 0)) return (*it)->lastPhoto(version);
    }
    return std::nullopt;
}

void CameraRoll::afterDelete() {
    if (!fileAccess()) return;
    reset();
    parse(true);
    if (files_.empty()) {
        FileUtils::deleteFile(getPosterPath());
        return;
    }
    // Thumbnails are JPEG under a ".THM" name.
    std::string error;
    const auto bytes = ImageFile::readBytes(files_.back()->thumbnailFile(), &error);
    const auto thumbnail = bytes ? JpegCodec::decode(*bytes, 1, &error) : std::nullopt;
    if (!thumbnail) {
        Log::warning("store: no poster from the newest photo's thumbnail: " + error);
        return;
    }
    ImageSaver::savePoster(ImageDraw::simpleResize(*thumbnail, Size{55, 55}), getPosterPath());
}

}  // namespace kestrel
