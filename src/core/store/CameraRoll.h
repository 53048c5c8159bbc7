#pragma once

#include "core/base/Image.h"
#include "core/platform/SystemUtils.h"
#include "core/store/CameraRollFolder.h"
#include "core/store/DiskStamp.h"
#include "core/store/InfoRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// A DCIM photo tree as Kestrel reads and extends it: photo folders
// ("100APPLE"), photo files ("IMG_0001.JPG"), thumbnails, the album poster
// and the shared record .MISC/Info.plist of last-used photo numbers.
//
// Saving never overwrites a photo: when the number the record gives is taken
// on disk, the next free one is used and recorded; the photo appears under
// its name only once complete. Several processes may save into one tree at
// once: each goes on from the highest number any of them recorded.
//
// A reading is kept up to date by refresh(), whose cost does not grow with
// the number of photos: only what changed on disk since is read again.
//
// Not thread-safe: one thread at a time (the saving thread during a save,
// the main thread otherwise).
class CameraRoll {
public:
    explicit CameraRoll(std::string albumPath, const SystemUtils& system = SystemUtils::current());
    virtual ~CameraRoll();
    CameraRoll(const CameraRoll&) = delete;
    CameraRoll& operator=(const CameraRoll&) = delete;

    virtual bool isAppleCameraRoll() const { return false; }
    virtual std::string getDisplayName() const { return "Camera Roll"; }

    // Reads the tree once until reset(); a full reading also lists photos.
    void parse(bool fullParse);
    void reset();
    bool parsed() const { return parsed_; }
    // Brings a full reading up to date with the disk: the record is read
    // again only when it changed, the album root listed again only when it
    // changed, and only the folders that changed are listed again; the photo
    // list takes the photos that came and drops those that went. A store not
    // yet read fully is read fully.
    void refresh();

    const std::string& albumPath() const { return albumPath_; }
    std::string xmlFile() const;
    std::string getPosterPath() const;
    bool fileAccess() const;

    const std::vector<std::unique_ptr<CameraRollFolder>>& folders() const { return folders_; }
    // The photos of the last full reading, oldest first.
    const std::vector<std::shared_ptr<CameraRollFileInfo>>& files() const { return files_; }
    // Drops one entry of the list (the viewer's deletion; the disk is the caller's).
    void removeFile(std::size_t index) {
        if (index < files_.size()) files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    int countImages() const;
    std::vector<std::shared_ptr<CameraRollFileInfo>> imageFiles() const;
    void collectImages(std::vector<std::shared_ptr<CameraRollFileInfo>>& list) const;

    CameraRollFolder& folderForNextSave();
    CameraRollFolder* findFolder(const std::string& name) const;

    // Saves one photo with its thumbnail and the album poster (JPEG bytes)
    // and records its number; answers the photo's path, or none when the
    // photo could not be written (then nothing is left under a photo name).
    std::optional<std::string> saveImageData(std::span<const std::uint8_t> image,
                                             std::span<const std::uint8_t> thumbnail,
                                             std::span<const std::uint8_t> poster);
    std::optional<std::string> saveImage(const Image& image, const Image& thumbnail, const Image& poster);

    // The path of the photo a newer reading has that this one had not.
    std::optional<std::string> findNewPhoto(const CameraRoll& newer) const;
    // After photos were deleted: read again and rebuild or remove the poster.
    void afterDelete();

    int versionNumber() const { return system_->versionNumber(); }

    // How the album root is listed: the file system's listing unless
    // another is given (tests give shuffled ones).
    using FolderLister = std::function<std::vector<std::string>(const std::string& folder)>;
    void setFolderLister(FolderLister lister) { lister_ = std::move(lister); }

private:
    static bool folderBefore(const CameraRollFolder& a, const CameraRollFolder& b);
    static bool photoNumberTaken(const CameraRollFileInfo& target);
    void parseFiles(const InfoRecord& record, bool fullParse);
    bool writeRecord(const CameraRollFolder& folder);
    void sortFolders();
    // Re-reads the record when it changed since `stamp` was taken; answers it then.
    std::optional<InfoRecord> recordIfChanged(DiskStamp& stamp);
    // Lists the root again when it changed since `stamp` was taken: adds the
    // folders that appeared (listed at their next refreshPhotos()) and drops
    // those that went, their photos into `changes`.
    void refreshFolders(DiskStamp& stamp, const std::optional<InfoRecord>& record,
                        CameraRollFolder::Changes& changes);
    void mergeTwins(CameraRollFolder::Changes& changes);
    // Before a save: the numbers other writers used since the last look.
    void catchUpForSave();
    void applyChanges(CameraRollFolder::Changes changes);

    std::string albumPath_;
    const SystemUtils* system_;
    FolderLister lister_;
    bool parsed_ = false;
    bool fullParse_ = false;
    // Taken before the last reading of the record and of the root, for the
    // reading (refresh) and for the saver's numbers (catchUpForSave) apart.
    DiskStamp recordStamp_, rootStamp_;
    DiskStamp saveRecordStamp_, saveRootStamp_;
    // What a save's look found gone, for the next refresh's photo list.
    CameraRollFolder::Changes pending_;
    // The record as this store last wrote it, and the file's stamp then.
    struct Written {
        DiskStamp stamp;
        InfoRecord record;
    };
    std::optional<Written> written_;
    std::vector<std::unique_ptr<CameraRollFolder>> folders_;
    std::vector<std::shared_ptr<CameraRollFileInfo>> files_;
};

}  // namespace kestrel
