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
#include <sys/stat.h>

namespace kestrel {

CameraRoll::CameraRoll(std::string albumPath, const SystemUtils& system)
    : albumPath_(std::move(albumPath)), system_(&system), lister_(&DirectoryUtils::listFolder) {}

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
    AtomicFile::removeAbandoned(albumPath_ + "/.MISC");  // the record's and the poster's
    if (!fileAccess()) return;
    parseFiles(InfoRecord::read(xmlFile()), fullParse);
    files_ = imageFiles();
}

// Folders are kept in the order of their numbers, whatever order the file
// system lists them in: the last full folder met decides the next folder's
// number, and the newest photos are looked for in the last folders.
bool CameraRoll::folderBefore(const CameraRollFolder& a, const CameraRollFolder& b) {
    if (a.folderSequence() != b.folderSequence()) return a.folderSequence() < b.folderSequence();
    return a.folder() < b.folder();
}

void CameraRoll::parseFiles(const InfoRecord& record, bool fullParse) {
    for (const std::string& name : lister_(albumPath_)) {
        if (!FileUtilsText::endsWith(name, "APPLE")) continue;
        folders_.push_back(std::make_unique<CameraRollFolder>(albumPath_, name));
        folders_.back()->parse(record, fullParse);
    }
    std::stable_sort(folders_.begin(), folders_.end(),
                     [](const auto& a, const auto& b) { return folderBefore(*a, *b); });
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
    // In its place by number, after a folder of the same name (which
    // findFolder() then no longer answers).
    const auto at = std::upper_bound(folders_.begin(), folders_.end(), created,
                                     [](const auto& a, const auto& b) { return folderBefore(*a, *b); });
    return **folders_.insert(at, std::move(created));
}

// A number is taken by a photo of that name, or by a picture of another
// kind numbered the same (their thumbnails would share a name).
bool CameraRoll::photoNumberTaken(const CameraRollFileInfo& target) {
    const std::string& file = target.file();
    if (FileUtils::fileExists(file)) return true;
    return FileUtilsText::endsWith(file, ".JPG") &&
           FileUtils::fileExists(file.substr(0, file.size() - 4) + ".PNG");
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
    // record that lags behind the folder never costs a photo. A look finds
    // them; the publish that never replaces is the guard against a name
    // taken between the look and the write.
    for (int attempt = 0; attempt < 100 * CameraRollFolder::kLastNumber; ++attempt) {
        CameraRollFolder& folder = folderForNextSave();
        const CameraRollFileInfo target = folder.getSaveFile(versionNumber());
        if (photoNumberTaken(target)) {
            folder.noteSaved(target.fileSequence());
            continue;
        }
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
