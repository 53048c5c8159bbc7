#include "core/store/DcimPhotoAlbum.h"

#include "core/exif/ExifWriter.h"
#include "core/platform/Log.h"
#include "core/store/CameraRoll.h"
#include "core/store/ExifImageSaver.h"

#include <exception>

namespace kestrel {

DcimPhotoAlbum::DcimPhotoAlbum(std::string root, RunLoop&, WorkerQueue& worker)
    : root_(std::move(root)), roll_(std::make_shared<CameraRoll>(root_)), worker_(&worker) {}

DcimPhotoAlbum::DcimPhotoAlbum(std::string root, RunLoop& mainLoop)
    : root_(std::move(root)), roll_(std::make_shared<CameraRoll>(root_)),
      ownWorker_(std::make_unique<WorkerQueue>("camera roll", mainLoop)),
      worker_(ownWorker_.get()) {}

void DcimPhotoAlbum::writeImageToSavedPhotosAlbum(const Image& image, Completion completion) {
    save(image, std::nullopt, PhotoOrigin{}, std::move(completion));
}

bool DcimPhotoAlbum::writeTaggedImage(const Image& image, const std::optional<GeoPosition>& position,
                                      const PhotoOrigin& origin, Completion completion) {
    save(image, position, origin, std::move(completion));
    return true;
}

void DcimPhotoAlbum::save(const Image& image, std::optional<GeoPosition> position, PhotoOrigin origin,
                          Completion completion) {
    WorkerQueue* worker = worker_;
    // Encoded on the worker too: a 12 MP photo's JPEG and squares would hold
    // the main loop for several frames. The saves before this one on the
    // worker, and other writers, have changed the tree: the save catches up
    // with them.
    worker->enqueue([image, root = root_, roll = roll_, position, origin = std::move(origin), worker, completion] {
        const auto encoded = ExifImageSaver::encode(image);
        if (!encoded) {
            worker->complete([completion] { completion(false); });
            return;
        }
        bool saved = false;
        try {
            // Date and device tags, the position's and the origin's, in the
            // photo before its one write.
            ExifWriter writer(root + " (new photo)");
            writer.setOrigin(origin);
            const auto stamped = position ? writer.stamped(encoded->image, *position)
                                          : writer.stamped(encoded->image, static_cast<const LocationSource*>(nullptr));
            if (!stamped) Log::warning("saving: the new photo is saved without its EXIF tags");
            saved = roll->saveImageData(stamped ? std::span<const std::uint8_t>(*stamped) : encoded->image,
                                        encoded->thumbnail, encoded->poster)
                        .has_value();
        } catch (const std::exception& e) {
            Log::error(std::string("saving: the photo could not be saved into ") + root + ": " + e.what());
        }
        worker->complete([completion, saved] { completion(saved); });
    });
}

}  // namespace kestrel
