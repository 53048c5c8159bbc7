#include "core/store/DcimPhotoAlbum.h"

#include "core/exif/ExifWriter.h"
#include "core/store/CameraRoll.h"
#include "core/store/ExifImageSaver.h"

#include <thread>

namespace kestrel {

DcimPhotoAlbum::DcimPhotoAlbum(std::string root, RunLoop& mainLoop)
    : root_(std::move(root)), mainLoop_(&mainLoop), saving_(std::make_shared<std::mutex>()) {}

void DcimPhotoAlbum::writeImageToSavedPhotosAlbum(const Image& image, Completion completion) {
    auto encoded = ExifImageSaver::encode(image);
    RunLoop* loop = mainLoop_;
    if (!encoded) {
        loop->post([completion] { completion(false); });
        return;
    }
    std::thread([encoded = std::move(*encoded), root = root_, loop, saving = saving_, completion] {
        bool saved = false;
        {
            std::lock_guard lock(*saving);
            CameraRoll album(root);
            album.parse(false);
            if (const auto path = album.saveImageData(encoded.image, encoded.thumbnail, encoded.poster)) {
                saved = true;
                ExifWriter::writePhoto(*path, static_cast<const LocationSource*>(nullptr));
            }
        }
        loop->post([completion, saved] { completion(saved); });
    }).detach();
}

}  // namespace kestrel
