#pragma once

#include "core/store/CameraRollFileInfo.h"
#include "core/store/InfoRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// One photo folder ("100APPLE") of a DCIM tree: its number, the last photo
// number the shared record gives it (or, where the record holds no photo
// number, the highest photo number in the folder), and after a full reading
// its photos. A full reading also removes what saves that never finished
// left in the folder.
class CameraRollFolder {
public:
    static constexpr int kLastNumber = 999;

    CameraRollFolder(std::string cameraRollFolder, std::string folder);

    const std::string& cameraRollFolder() const { return cameraRollFolder_; }
    const std::string& folder() const { return folder_; }
    std::string path() const;
    int folderSequence() const { return folderSequence_; }
    int lastRecord() const { return lastRecord_; }
    void setLastRecord(int number) { lastRecord_ = number; }
    int lastJpg() const { return lastJpg_; }
    int lastPng() const { return lastPng_; }
    bool fullParse() const { return fullParse_; }
    bool forJpg() const { return lastRecord_ != 0; }
    int nextSaveNumber() const { return lastRecord_ + 1; }
    const std::vector<std::shared_ptr<CameraRollFileInfo>>& imageFiles() const { return imageFiles_; }

    void reset();
    void parse(const InfoRecord& record, bool fullParse);
    void update(InfoRecord& record) const;
    int countImages() const;
    void collectImages(std::vector<std::shared_ptr<CameraRollFileInfo>>& list) const;
    // The path of photo number lastRecord / nextSaveNumber, named for a
    // system version number (300 and later put the folder into the name).
    std::string lastPhoto(int versionNumber) const;
    CameraRollFileInfo getSaveFile(int versionNumber) const;

    static int getFolderSequence(const std::string& name);
    static std::string fileName(int folderSequence, int number, int versionNumber);
    static bool isPhotoName(const std::string& name);

private:
    std::string cameraRollFolder_;
    std::string folder_;
    int folderSequence_ = 0;
    int lastRecord_ = 0;
    int lastJpg_ = 0;
    int lastPng_ = 0;
    bool fullParse_ = false;
    std::vector<std::shared_ptr<CameraRollFileInfo>> imageFiles_;

    void readPhotos();
    int highestPhotoNumber() const;

    friend class CameraRoll;
    void noteSaved(int number) {
        lastJpg_ = number;
        lastRecord_ = number;
    }
};

}  // namespace kestrel
