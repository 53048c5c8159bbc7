#include "core/store/CameraRollFileInfo.h"

#include "core/exif/ExifReader.h"
#include "core/exif/ExifValueParser.h"
#include "core/store/FileUtilsText.h"

#include <sys/stat.h>

namespace kestrel {

const std::optional<CameraRollFileInfo::Date>& CameraRollFileInfo::getDate() {
    if (!dateLoaded_) {
        dateLoaded_ = true;
        struct stat info {};
        if (::stat(file_.c_str(), &info) == 0)
            date_ = Date(std::chrono::seconds(info.st_mtim.tv_sec) +
                         std::chrono::duration_cast<Date::duration>(std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    }
    return date_;
}

bool CameraRollFileInfo::earlier(CameraRollFileInfo& a, CameraRollFileInfo& b) {
    const auto& da = a.getDate();
    const auto& db = b.getDate();
    if (!da || !db) return !da && db;  // undated first, a strict order
    // Photos saved within one tick of the file system's clock share a date:
    // by name they keep the order they were shot in, whatever order the
    // folder lists them in.
    if (*da != *db) return *da < *db;
    return a.file() < b.file();
}

std::string CameraRollFileInfo::thumbnailFile() const {
    std::string candidate;
    if (FileUtilsText::endsWith(file_, ".JPG"))
        candidate = file_.substr(0, file_.size() - 4) + ".THM";
    else if (FileUtilsText::endsWith(file_, ".PNG"))
        candidate = file_.substr(0, file_.size() - 4) + ".THM";
    else
        return file_;
    struct stat info {};
    const bool beside = thumbnailBeside_ ? *thumbnailBeside_ : ::stat(candidate.c_str(), &info) == 0;
    if (beside) return candidate;
    const std::size_t at = candidate.find("APPLE/IMG");
    if (at != std::string::npos) candidate.replace(at, 9, "APPLE/.MISC/IMG");
    return candidate;
}

void CameraRollFileInfo::locate() {
    if (locationLoaded_) return;
    locationLoaded_ = true;
    if (const auto position = ExifReader(file_).read()) {
        hasLocation_ = true;
        latitude_ = static_cast<float>(position->latitude);
        longitude_ = static_cast<float>(position->longitude);
    }
}

int CameraRollFileInfo::getFileSequence(const std::string& name) {
    if (name.size() <= 5) return 0;
    // Folders from 110 on give names of five digits or more (IMG_10001.JPG):
    // the photo number is their last three.
    const std::size_t end = name.find_first_not_of("0123456789", 4);
    const std::size_t digits = (end == std::string::npos ? name.size() : end) - 4;
    const std::size_t from = digits > 4 ? 4 + digits - 3 : 5;
    return static_cast<int>(ExifValueParser::leadingInteger(name.substr(from, 3)));
}

}  // namespace kestrel
