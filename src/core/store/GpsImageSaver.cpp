#include "core/store/GpsImageSaver.h"

#include "core/exif/ExifWriter.h"
#include "core/store/AppleCameraRoll.h"
#include "core/store/ExifImageSaver.h"

namespace kestrel {

GpsImageSaver::GpsImageSaver(PhotoAlbum& album, std::string deviceRollRoot, RunLoop&,
                             std::shared_ptr<const LocationSource> location, WorkerQueue& ownStoreWorker)
    : album_(&album), deviceRollRoot_(std::move(deviceRollRoot)),
      location_(std::move(location)), ownStoreWorker_(&ownStoreWorker) {}

GpsImageSaver::GpsImageSaver(PhotoAlbum& album, std::string deviceRollRoot, RunLoop& mainLoop,
                             std::shared_ptr<const LocationSource> location)
    : album_(&album), deviceRollRoot_(std::move(deviceRollRoot)),
      location_(std::move(location)), ownWorker_(std::make_unique<WorkerQueue>("own store", mainLoop)),
      ownStoreWorker_(ownWorker_.get()) {}

void GpsImageSaver::saveImage(const Image& image, const std::optional<GeoPosition>& position,
                              std::shared_ptr<CameraRoll> store, const PhotoOrigin& origin, Completion completion) {
    ++savesStarted_;
    if (store && !store->isAppleCameraRoll()) {
        ExifImageSaver::saveInThread(image, std::move(store), *ownStoreWorker_, location_, origin,
                                     std::move(completion));
        return;
    }
    if (!cameraRoll_) {
        cameraRoll_ = store ? store : std::make_shared<AppleCameraRoll>(deviceRollRoot_);
        cameraRoll_->parse(false);
    }
    target_ = std::move(completion);
    std::weak_ptr<int> alive = alive_;
    // An album that writes the photo itself tags it with the position and
    // the origin before the first write; the platform's is stamped afterwards.
    auto tagged = std::make_shared<bool>(false);
    auto done = [this, alive, position, origin, tagged](bool) {
        if (alive.lock()) didFinishSaving(*tagged, position, origin);
    };
    if (position || !origin.empty())
        *tagged = album_->writeTaggedImage(image, position, origin, done);
    else
        album_->writeImageToSavedPhotosAlbum(image, done);
}

void GpsImageSaver::didFinishSaving(bool tagged, const std::optional<GeoPosition>& position,
                                    const PhotoOrigin& origin) {
    // Whether the album said it saved is not trusted: the tree says.
    auto newer = std::make_shared<AppleCameraRoll>(cameraRoll_->albumPath());
    newer->parse(false);
    const auto path = cameraRoll_->findNewPhoto(*newer);
    if (path && !tagged && (position || !origin.empty())) {
        ExifWriter writer(*path);
        writer.setOrigin(origin);
        if (position)
            writer.write(*position);
        else
            writer.write(static_cast<const LocationSource*>(nullptr));
    }
    cameraRoll_ = newer;
    Completion target = std::move(target_);
    target_ = nullptr;
    if (target) target(path);
}

}  // namespace kestrel
