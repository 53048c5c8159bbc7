#pragma once

#include "core/base/Image.h"
#include "core/platform/GeoPosition.h"
#include "core/platform/LocationSource.h"
#include "core/platform/RunLoop.h"
#include "core/platform/WorkerQueue.h"
#include "core/store/CameraRoll.h"
#include "core/store/PhotoAlbum.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Where every reviewed photo goes. With no store of Kestrel's own: into the
// device's album through the platform, after which the new file is found by
// comparing readings of the device camera roll and, with a position, gets
// the GPS tags. With a store of Kestrel's own: the background saver, on the
// own store's saver worker. Either way a photo Kestrel took carries its
// origin (why and when it was taken) in its tags. Main thread; the
// completion is called once per save, on the main thread, with the photo's
// path or none (a later save replaces an earlier target); none is called
// once the saver is gone.
class GpsImageSaver {
public:
    using Completion = std::function<void(const std::optional<std::string>& path)>;

    // Saves into a store of Kestrel's own on `ownStoreWorker`, which the
    // application owns and drains when it quits.
    GpsImageSaver(PhotoAlbum& album, std::string deviceRollRoot, RunLoop& mainLoop,
                  std::shared_ptr<const LocationSource> location, WorkerQueue& ownStoreWorker);
    // With a worker of the saver's own, drained when the saver goes.
    GpsImageSaver(PhotoAlbum& album, std::string deviceRollRoot, RunLoop& mainLoop,
                  std::shared_ptr<const LocationSource> location);
    GpsImageSaver(const GpsImageSaver&) = delete;
    GpsImageSaver& operator=(const GpsImageSaver&) = delete;

    void saveImage(const Image& image, const std::optional<GeoPosition>& position,
                   std::shared_ptr<CameraRoll> store, const PhotoOrigin& origin, Completion completion);
    // A picture with no origin to record (a file saved from the command line).
    void saveImage(const Image& image, const std::optional<GeoPosition>& position,
                   std::shared_ptr<CameraRoll> store, Completion completion) {
        saveImage(image, position, std::move(store), PhotoOrigin{}, std::move(completion));
    }

    // Saves started so far, either way (quitting waits for the one it expects).
    std::size_t savesStarted() const { return savesStarted_; }

private:
    // `tagged`: the album wrote the photo's own tags itself; otherwise the
    // position and the origin, if any, are stamped into the new file.
    void didFinishSaving(bool tagged, const std::optional<GeoPosition>& position, const PhotoOrigin& origin);

    PhotoAlbum* album_;
    std::string deviceRollRoot_;
    std::shared_ptr<const LocationSource> location_;
    std::shared_ptr<CameraRoll> cameraRoll_;  // the reading before the current save
    Completion target_;
    std::unique_ptr<WorkerQueue> ownWorker_;
    WorkerQueue* ownStoreWorker_;
    std::size_t savesStarted_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for the album's completion
};

}  // namespace kestrel
