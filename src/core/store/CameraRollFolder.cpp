#include "core/store/CameraRollFolder.h"

#include "core/exif/ExifValueParser.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Log.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/FileUtilsText.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace kestrel {
namespace {

std::optional<CameraRollFileInfo::Date> modificationDate(int folder, const std::string& name) {
    struct stat attributes {};
    if (::fstatat(folder, name.c_str(), &attributes, 0) != 0) return std::nullopt;
    return CameraRollFileInfo::Date(std::chrono::seconds(attributes.st_mtim.tv_sec) +
                                    std::chrono::duration_cast<CameraRollFileInfo::Date::duration>(
                                        std::chrono::nanoseconds(attributes.st_mtim.tv_nsec)));
}

}  // namespace

CameraRollFolder::CameraRollFolder(std::string cameraRollFolder, std::string folder)
    : cameraRollFolder_(std::move(cameraRollFolder)), folder_(std::move(folder)),
      folderSequence_(getFolderSequence(folder_)) {}

std::string CameraRollFolder::path() const { return cameraRollFolder_ + "/" + folder_; }

void CameraRollFolder::reset() {
    folderSequence_ = lastRecord_ = lastJpg_ = lastPng_ = 0;
    fullParse_ = false;
    imageFiles_.clear();
    listed_ = DiskStamp{};
}

bool CameraRollFolder::isPhotoName(const std::string& name) {
    return FileUtilsText::startsWith(name, "IMG_") &&
           (FileUtilsText::endsWith(name, ".JPG") || FileUtilsText::endsWith(name, ".PNG"));
}

void CameraRollFolder::parse(const InfoRecord& record, bool fullParse) {
    fullParse_ = fullParse;
    if (fullParse) readPhotos();
    takeRecord(record);
}

void CameraRollFolder::takeRecord(const InfoRecord& record) {
    const auto last = record.lastFileGroupNumber(folderSequence_);
    if (!last) return;
    if (*last >= 0 && *last <= kLastNumber) {
        lastRecord_ = std::max(lastRecord_, *last);
        return;
    }
    // No photo number (another program's bug, a hand edit): the folder's own
    // photos say where it stands.
    lastRecord_ = std::max(lastRecord_, highestPhotoNumber());
    Log::warning("store: the record gives " + folder_ + " the photo number " + std::to_string(*last) +
                 "; going on from its highest photo, " + std::to_string(lastRecord_));
}

// A listing of its own: the reading's list of photos is the main thread's,
// and this runs on the saving one.
void CameraRollFolder::catchUpWithDisk() { lastRecord_ = std::max(lastRecord_, highestPhotoNumberOnDisk()); }

int CameraRollFolder::highestPhotoNumber() const {
    if (fullParse_) return std::max(lastJpg_, lastPng_);
    return highestPhotoNumberOnDisk();
}

int CameraRollFolder::highestPhotoNumberOnDisk() const {
    int highest = 0;
    for (const std::string& name : DirectoryUtils::listFolder(path()))
        if (isPhotoName(name)) highest = std::max(highest, CameraRollFileInfo::getFileSequence(name));
    return highest;
}

CameraRollFolder::Changes CameraRollFolder::refreshPhotos() {
    if (!fullParse_) return {};
    if (listed_.stillHolds(DiskStamp::of(path()))) return {};
    return readPhotos();
}

// One listing of the folder: its photos, the date of each photo not known
// from an earlier listing (looked up relative to the open folder), and which
// thumbnails lie beside photos.
CameraRollFolder::Changes CameraRollFolder::readPhotos() {
    const std::string base = path();
    // Taken before the listing: a change while listing shows at the next look.
    listed_ = DiskStamp::of(base);
    std::unordered_map<std::string, std::shared_ptr<CameraRollFileInfo>> known;
    known.reserve(imageFiles_.size());
    for (auto& info : imageFiles_) known.emplace(info->file().substr(base.size() + 1), std::move(info));
    imageFiles_.clear();
    lastJpg_ = lastPng_ = 0;
    Changes changes;
    DIR* dir = ::opendir(base.c_str());
    if (!dir) {
        for (auto& [name, info] : known) changes.removed.push_back(std::move(info));
        return changes;
    }
    const int fd = ::dirfd(dir);
    std::unordered_set<std::string> thumbnails;
    std::vector<std::string> names;
    std::vector<std::string> temporaries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (isPhotoName(name))
            names.push_back(name);
        else if (FileUtilsText::endsWith(name, ".THM"))
            thumbnails.insert(name.substr(0, name.size() - 4));
        else if (AtomicFile::isTemporaryName(name))
            temporaries.push_back(name);
    }
    // What saves that never finished left behind, here and beside the thumbnails.
    for (const std::string& name : temporaries) AtomicFile::removeIfAbandoned(base + "/" + name);
    AtomicFile::removeAbandoned(base + "/.MISC");
    imageFiles_.reserve(names.size());
    for (const std::string& name : names) {
        const int number = CameraRollFileInfo::getFileSequence(name);
        std::shared_ptr<CameraRollFileInfo> info;
        if (const auto found = known.find(name); found != known.end()) {
            info = std::move(found->second);
            known.erase(found);
        } else {
            info = std::make_shared<CameraRollFileInfo>(base + "/" + name, number);
            info->setDate(modificationDate(fd, name));
            changes.added.push_back(info);
        }
        info->setThumbnailBeside(thumbnails.count(name.substr(0, name.size() - 4)) != 0);
        imageFiles_.push_back(std::move(info));
        int& highest = FileUtilsText::endsWith(name, ".JPG") ? lastJpg_ : lastPng_;
        highest = std::max(highest, number);
    }
    ::closedir(dir);
    for (auto& [name, info] : known) changes.removed.push_back(std::move(info));
    return changes;
}

void CameraRollFolder::update(InfoRecord& record) const {
    const auto recorded = record.lastFileGroupNumber(folderSequence_);
    if (recorded && *recorded > lastRecord_ && *recorded <= kLastNumber) return;
    record.setLastFileGroupNumber(folderSequence_, lastRecord_);
}

int CameraRollFolder::countImages() const {
    if (fullParse_) return static_cast<int>(imageFiles_.size());
    const auto names = DirectoryUtils::listFolder(path());
    return static_cast<int>(std::count_if(names.begin(), names.end(), isPhotoName));
}

void CameraRollFolder::collectImages(std::vector<std::shared_ptr<CameraRollFileInfo>>& list) const {
    list.insert(list.end(), imageFiles_.begin(), imageFiles_.end());
}

std::string CameraRollFolder::fileName(int folderSequence, int number, int versionNumber) {
    char name[64];
    if (versionNumber >= 300) {
        const int group = folderSequence - 100;
        if (number < 10)
            std::snprintf(name, sizeof name, "IMG_%d00%d.JPG", group, number);
        else if (number < 100)
            std::snprintf(name, sizeof name, "IMG_%d0%d.JPG", group, number);
        else
            std::snprintf(name, sizeof name, "IMG_%d%d.JPG", group, number);
    } else {
        if (number < 10)
            std::snprintf(name, sizeof name, "IMG_000%d.JPG", number);
        else if (number < 100)
            std::snprintf(name, sizeof name, "IMG_00%d.JPG", number);
        else
            std::snprintf(name, sizeof name, "IMG_0%d.JPG", number);
    }
    return name;
}

std::string CameraRollFolder::lastPhoto(int versionNumber) const {
    return path() + "/" + fileName(folderSequence_, lastRecord_, versionNumber);
}

CameraRollFileInfo CameraRollFolder::getSaveFile(int versionNumber) const {
    const int n = nextSaveNumber();
    return CameraRollFileInfo(path() + "/" + fileName(folderSequence_, n, versionNumber), n);
}

int CameraRollFolder::getFolderSequence(const std::string& name) {
    if (name.size() < 5) return 0;
    return static_cast<int>(ExifValueParser::leadingInteger(name.substr(0, name.size() - 5)));
}

}  // namespace kestrel
