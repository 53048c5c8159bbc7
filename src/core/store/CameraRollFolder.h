#pragma once

#include "core/store/CameraRollFileInfo.h"
#include "core/store/DiskStamp.h"
#include "core/store/InfoRecord.h"

#include <algorithm>
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
//
// The last photo number only ever grows: a record or a listing that gives a
// lower one than the folder already knows (another writer's older view) does
// not move it back.
class CameraRollFolder {
public:
    static constexpr int kLastNumber = 999;

    // The photos that appeared in the folder and those that went since it was
    // last listed.
    struct Changes {
        std::vector<std::shared_ptr<CameraRollFileInfo>> added;
        std::vector<std::shared_ptr<CameraRollFileInfo>> removed;
    };

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
    // Lists the folder again when it may have changed since its last listing
    // (its stamp differs, or that listing was too close to a change to tell),
    // keeping what it knew of the photos still there; answers what changed.
    // Costs one stat() when nothing did.
    Changes refreshPhotos();
    // Takes the record's number for this folder where it is higher.
    void takeRecord(const InfoRecord& record);
    // After a photo name was found taken: goes on from the highest photo
    // number on disk, where that is higher than the known one.
    void catchUpWithDisk();
    // Writes the folder's number into the record, unless the record already
    // holds a higher one (another writer's).
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

    DiskStamp listed_;  // taken before the last listing

    Changes readPhotos();
    int highestPhotoNumber() const;
    int highestPhotoNumberOnDisk() const;

    friend class CameraRoll;
    void noteSaved(int number) {
        lastJpg_ = std::max(lastJpg_, number);
        lastRecord_ = std::max(lastRecord_, number);
    }
};

}  // namespace kestrel
