#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/WorkerQueue.h"
#include "core/store/CameraRoll.h"
#include "core/store/PhotoAlbum.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// The saved-photos album of a Linux device: the DCIM tree at the camera-roll
// folder, written as the platform camera writes it (JPEG 0.95, the next
// folder and file name, the thumbnail in .MISC, the poster, the record, the
// date and device tags, and a given position's GPS tags and origin, all in
// the photo before its one write) on the camera roll's saver worker, one
// save at a time and in order; the completion comes back to the main run
// loop.
class DcimPhotoAlbum final : public PhotoAlbum {
public:
    // Saves on `worker`, which the application owns and drains when it quits.
    DcimPhotoAlbum(std::string root, RunLoop& mainLoop, WorkerQueue& worker);
    // Saves on a worker of the album's own, drained when the album goes.
    DcimPhotoAlbum(std::string root, RunLoop& mainLoop);

    void writeImageToSavedPhotosAlbum(const Image& image, Completion completion) override;
    bool writeTaggedImage(const Image& image, const std::optional<GeoPosition>& position, const PhotoOrigin& origin,
                          Completion completion) override;
    const std::string& root() const { return root_; }
    WorkerQueue& worker() const { return *worker_; }

private:
    void save(const Image& image, std::optional<GeoPosition> position, PhotoOrigin origin, Completion completion);

    std::string root_;
    // The worker's reading of the tree, kept from save to save (each catches
    // up with what other writers did): the worker's alone.
    std::shared_ptr<CameraRoll> roll_;
    std::unique_ptr<WorkerQueue> ownWorker_;
    WorkerQueue* worker_;
};

}  // namespace kestrel
