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
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <utility>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace kestrel {
namespace {

// An advisory lock on a folder for as long as it lives (flock on the
// folder itself, so no lock file joins the tree). Taken by Kestrel's
// writers; one that cannot be taken is logged, and the write goes on.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            Log::warning("store: cannot lock " + folder + ": " + std::strerror(errno));
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

}  // namespace

CameraRoll::CameraRoll(std::string albumPath, const SystemUtils& system)
    : albumPath_(std::move(albumPath)), system_(&system), lister_(&DirectoryUtils::listFolder) {}

CameraRoll::~CameraRoll() { reset(); }

std::string CameraRoll::xmlFile() const { return albumPath_ + "/.MISC/Info.plist"; }
std::string CameraRoll::getPosterPath() const { return albumPath_ + "/.MISC/PosterImage.jpg"; }
bool CameraRoll::fileAccess() const { return FileUtils::fileExists(xmlFile()); }

void CameraRoll::reset() {
    parsed_ = fullParse_ = false;
    recordStamp_ = rootStamp_ = saveRecordStamp_ = saveRootStamp_ = DiskStamp{};
    pending_ = {};
    written_.reset();
    for (auto& folder : folders_) folder->reset();
    folders_.clear();
}

void CameraRoll::parse(bool fullParse) {
    if (parsed_) return;
    parsed_ = true;
    fullParse_ = fullParse;
    AtomicFile::removeAbandoned(albumPath_ + "/.MISC");  // the record's and the poster's
    // Taken before reading: a change while reading shows at the next look.
    recordStamp_ = saveRecordStamp_ = DiskStamp::of(xmlFile());
    rootStamp_ = saveRootStamp_ = DiskStamp::of(albumPath_);
    if (!fileAccess()) {
        files_.clear();  // no record: the store reads as empty
        return;
    }
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

void CameraRoll::sortFolders() {
    std::stable_sort(folders_.begin(), folders_.end(),
                     [](const auto& a, const auto& b) { return folderBefore(*a, *b); });
}

void CameraRoll::parseFiles(const InfoRecord& record, bool fullParse) {
    for (const std::string& name : lister_(albumPath_)) {
        if (!FileUtilsText::endsWith(name, "APPLE")) continue;
        folders_.push_back(std::make_unique<CameraRollFolder>(albumPath_, name));
        folders_.back()->parse(record, fullParse);
    }
    sortFolders();
}

void CameraRoll::refresh() {
    if (!parsed_ || !fullParse_ || !fileAccess()) {
        reset();
        parse(true);
        return;
    }
    CameraRollFolder::Changes changes = std::exchange(pending_, {});
    const auto record = recordIfChanged(recordStamp_);
    if (record)
        for (auto& folder : folders_) folder->takeRecord(*record);
    refreshFolders(rootStamp_, record, changes);
    mergeTwins(changes);
    for (auto& folder : folders_) {
        auto found = folder->refreshPhotos();
        std::move(found.added.begin(), found.added.end(), std::back_inserter(changes.added));
        std::move(found.removed.begin(), found.removed.end(), std::back_inserter(changes.removed));
    }
    applyChanges(std::move(changes));
}

std::optional<InfoRecord> CameraRoll::recordIfChanged(DiskStamp& stamp) {
    const DiskStamp now = DiskStamp::of(xmlFile());
    if (stamp.stillHolds(now)) return std::nullopt;
    stamp = now;
    // This store's own last write: its numbers are the folders' already.
    if (written_ && written_->stamp.sameAs(now)) return std::nullopt;
    return InfoRecord::read(xmlFile());
}

void CameraRoll::refreshFolders(DiskStamp& stamp, const std::optional<InfoRecord>& record,
                                CameraRollFolder::Changes& changes) {
    const DiskStamp now = DiskStamp::of(albumPath_);
    if (stamp.stillHolds(now)) return;
    stamp = now;
    std::optional<InfoRecord> read;  // only when a folder is new
    std::unordered_set<std::string> listed;
    for (const std::string& name : lister_(albumPath_)) {
        if (!FileUtilsText::endsWith(name, "APPLE")) continue;
        listed.insert(name);
        if (findFolder(name)) continue;
        if (!record && !read) read = InfoRecord::read(xmlFile());
        auto folder = std::make_unique<CameraRollFolder>(albumPath_, name);
        folder->parse(record ? *record : *read, false);
        // Listed by the next refreshPhotos(), which then reports its photos.
        folder->fullParse_ = fullParse_;
        folders_.push_back(std::move(folder));
    }
    const auto gone = std::stable_partition(folders_.begin(), folders_.end(),
                                            [&](const auto& folder) { return listed.count(folder->folder()) != 0; });
    for (auto it = gone; it != folders_.end(); ++it)
        changes.removed.insert(changes.removed.end(), (*it)->imageFiles().begin(), (*it)->imageFiles().end());
    folders_.erase(gone, folders_.end());
    sortFolders();
}

// A folder that was on disk without a record gets an in-memory twin when a
// save starts it afresh (folderForNextSave); once the record names it, the
// two are one folder again, listed once.
void CameraRoll::mergeTwins(CameraRollFolder::Changes& changes) {
    for (std::size_t i = 1; i < folders_.size(); ++i) {
        CameraRollFolder& first = *folders_[i - 1];
        CameraRollFolder& twin = *folders_[i];
        if (first.folder() != twin.folder()) continue;
        first.lastRecord_ = std::max(first.lastRecord_, twin.lastRecord_);
        first.lastJpg_ = std::max(first.lastJpg_, twin.lastJpg_);
        changes.removed.insert(changes.removed.end(), twin.imageFiles().begin(), twin.imageFiles().end());
        folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(i));
        --i;
    }
}

void CameraRoll::applyChanges(CameraRollFolder::Changes changes) {
    if (!changes.removed.empty()) {
        std::unordered_set<const CameraRollFileInfo*> gone;
        for (const auto& info : changes.removed) gone.insert(info.get());
        std::erase_if(files_, [&](const auto& info) { return gone.count(info.get()) != 0; });
    }
    if (changes.added.empty()) return;
    const auto earlier = [](const auto& a, const auto& b) { return CameraRollFileInfo::earlier(*a, *b); };
    std::stable_sort(changes.added.begin(), changes.added.end(), earlier);
    const auto middle = static_cast<std::ptrdiff_t>(files_.size());
    files_.insert(files_.end(), changes.added.begin(), changes.added.end());
    // New photos are usually the newest: then they only go on the end.
    if (middle > 0 && earlier(files_[static_cast<std::size_t>(middle)], files_[static_cast<std::size_t>(middle - 1)]))
        std::inplace_merge(files_.begin(), files_.begin() + middle, files_.end(), earlier);
}

void CameraRoll::catchUpForSave() {
    if (!parsed_) {
        parse(false);
        return;
    }
    const auto record = recordIfChanged(saveRecordStamp_);
    if (record)
        for (auto& folder : folders_) folder->takeRecord(*record);
    // The photos of folders that went leave the reading at its next refresh.
    refreshFolders(saveRootStamp_, record, pending_);
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
    created->fullParse_ = fullParse_;  // a full reading lists it at its next refresh
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
    catchUpForSave();
    // Numbers already taken on disk are skipped (and recorded as used), so a
    // record that lags behind the folder (another writer's save, another
    // program's) never costs a photo: a name found taken sends the folder on
    // from its highest photo. The publish that never replaces is the guard
    // against a name taken between the look and the write.
    for (int attempt = 0; attempt < 100 * CameraRollFolder::kLastNumber; ++attempt) {
        CameraRollFolder& folder = folderForNextSave();
        ::mkdir(folder.path().c_str(), 0755);  // removed since it was read? (an existing one is fine)
        const CameraRollFileInfo target = folder.getSaveFile(versionNumber());
        bool taken = photoNumberTaken(target);
        std::string error;
        if (!taken && AtomicFile::create(target.file(), image, 0644, taken, &error)) {
            folder.noteSaved(target.fileSequence());
            // The photo is safe; a thumbnail, poster or record that fails is logged.
            ImageSaver::saveImageData(thumbnail, ImageSaver::getThumbnailFile(target.file(), system_->version()));
            ImageSaver::savePosterData(poster, getPosterPath());
            writeRecord(folder);
            return target.file();
        }
        if (!taken) {
            Log::error("store: cannot save the photo: " + error);
            return std::nullopt;
        }
        folder.noteSaved(target.fileSequence());
        folder.catchUpWithDisk();
    }
    Log::error("store: no free photo number left in " + albumPath_);
    return std::nullopt;
}

bool CameraRoll::writeRecord(const CameraRollFolder& folder) {
    DirectoryUtils::ensureFolderExist(albumPath_ + "/.MISC");
    // Writers of one tree take turns at the record, so that none writes back
    // what it read before another's write.
    const FolderLock turn(albumPath_ + "/.MISC");
    // Unchanged since this store wrote it (the same file, as written: another
    // writer's record is a new file), the record need not be read again.
    InfoRecord record = written_ && written_->stamp.sameAs(DiskStamp::of(xmlFile()))
                            ? std::move(written_->record)
                            : InfoRecord::read(xmlFile());
    written_.reset();
    folder.update(record);
    std::string error;
    if (!record.write(xmlFile(), &error)) {
        Log::error("store: cannot write " + xmlFile() + ": " + error);
        return false;
    }
    written_.emplace(Written{DiskStamp::of(xmlFile()), std::move(record)});
    return true;
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
    refresh();
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
