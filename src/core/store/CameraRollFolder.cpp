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
#include <unordered_set>

namespace kestrel {

CameraRollFolder::CameraRollFolder(std::string cameraRollFolder, std::string folder)
    : cameraRollFolder_(std::move(cameraRollFolder)), folder_(std::move(folder)),
      folderSequence_(getFolderSequence(folder_)) {}

std::string CameraRollFolder::path() const { return cameraRollFolder_ + "/" + folder_; }

void CameraRollFolder::reset() {
    folderSequence_ = lastRecord_ = lastJpg_ = lastPng_ = 0;
    fullParse_ = false;
    imageFiles_.clear();
}

bool CameraRollFolder::isPhotoName(const std::string& name) {
    return FileUtilsText::startsWith(name, "IMG_") &&
           (FileUtilsText::endsWith(name, ".JPG") || FileUtilsText::endsWith(name, ".PNG"));
}

void CameraRollFolder::parse(const InfoRecord& record, bool fullParse) {
    fullParse_ = fullParse;
    if (fullParse) readPhotos();
    const auto last = record.lastFileGroupNumber(folderSequence_);
    if (!last) return;
    lastRecord_ = *last;
    if (*last >= 0 && *last <= kLastNumber) return;
    // No photo number (another program's bug, a hand edit): the folder's own
    // photos say where it stands.
    lastRecord_ = highestPhotoNumber();
    Log::warning("store: the record gives " + folder_ + " the photo number " + std::to_string(*last) +
                 "; going on from its highest photo, " + std::to_string(lastRecord_));
}

int CameraRollFolder::highestPhotoNumber() const {
    if (fullParse_) return std::max(lastJpg_, lastPng_);
    int highest = 0;
    for (const std::string& name : DirectoryUtils::listFolder(path()))
        if (isPhotoName(name)) highest = std::max(highest, CameraRollFileInfo::getFileSequence(name));
    return highest;
}

// One listing of the folder: its photos, each photo's date (looked up
// relative to the open folder), and which thumbnails lie beside photos.
void CameraRollFolder::readPhotos() {
    imageFiles_.clear();
    const std::string base = path();
    DIR* dir = ::opendir(base.c_str());
    if (!dir) return;
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
    for (const std::string& name : names) {
        const int number = CameraRollFileInfo::getFileSequence(name);
        auto info = std::make_shared<CameraRollFileInfo>(base + "/" + name, number);
        info->setThumbnailBeside(thumbnails.count(name.substr(0, name.size() - 4)) != 0);
        imageFiles_.push_back(std::move(info));
        int& highest = FileUtilsText::endsWith(name, ".JPG") ? lastJpg_ : lastPng_;
        highest = std::max(highest, number);
    }
    // The dates: one look-up per photo, relative to the open folder.
    for (std::size_t index = 0; index < names.size(); ++index) {
        struct stat attributes {};
        std::optional<CameraRollFileInfo::Date> date;
        if (::fstatat(fd, names[index].c_str(), &attributes, 0) == 0)
            date = CameraRollFileInfo::Date(
                std::chrono::seconds(attributes.st_mtim.tv_sec) +
                std::chrono::duration_cast<CameraRollFileInfo::Date::duration>(
                    std::chrono::nanoseconds(attributes.st_mtim.tv_nsec)));
        imageFiles_[index]->setDate(date);
    }
    ::closedir(dir);
}

void CameraRollFolder::update(InfoRecord& record) const {
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
