#include "core/store/DcimPhotoAlbum.h"

#include "core/exif/ExifWriter.h"
#include "core/platform/Log.h"
#include "core/store/CameraRoll.h"
#include "core/store/ExifImageSaver.h"

#include <exception>

namespace kestrel {

DcimPhotoAlbum::DcimPhotoAlbum(std::string root, RunLoop&, SaverQueue& worker)
    : root_(std::move(root)), worker_(&worker) {}

DcimPhotoAlbum::DcimPhotoAlbum(std::string root, RunLoop& mainLoop)
    : root_(std::move(root)),
      ownWorker_(std::make_unique<SaverQueue>("camera roll", mainLoop)),
      worker_(ownWorker_.get()) {}

void DcimPhotoAlbum::writeImageToSavedPhotosAlbum(const Image& image, Completion completion) {
    auto encoded = ExifImageSaver::encode(image);
    SaverQueue* worker = worker_;
    if (!encoded) {
        worker->complete([completion] { completion(false); });
        return;
    }
    // The tree is read afresh for each save: the saves before this one on the
    // worker have changed it.
    worker->enqueue([encoded = std::move(*encoded), root = root_, worker, completion] {
        bool saved = false;
        try {
            CameraRoll album(root);
            album.parse(false);
            if (const auto path = album.saveImageData(encoded.image, encoded.thumbnail, encoded.poster)) {
                saved = true;
                ExifWriter::writePhoto(*path, static_cast<const LocationSource*>(nullptr));
            }
        } catch (const std::exception& e) {
            Log::error(std::string("saving: the photo could not be saved into ") + root + ": " + e.what());
        }
        worker->complete([completion, saved] { completion(saved); });
    });
}

}  // namespace kestrel
