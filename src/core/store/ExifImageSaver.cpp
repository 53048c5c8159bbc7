#include "core/store/ExifImageSaver.h"

#include "core/exif/ExifWriter.h"
#include "core/imaging/ImageUtils.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/Log.h"

#include <exception>

namespace kestrel {

std::optional<ExifImageSaver::Encoded> ExifImageSaver::encode(const Image& image) {
    auto photo = JpegCodec::encode(image, 0.95);
    // The poster is made from the thumbnail picture, not from the photo.
    const Image thumbnail = ImageUtils::drawPosterImage(image, Size{75, 75});
    auto thumbnailJpeg = JpegCodec::encode(thumbnail, 0.9);
    auto posterJpeg = JpegCodec::encode(ImageUtils::drawPosterImage(thumbnail, Size{55, 55}), 0.9);
    if (!photo || !thumbnailJpeg || !posterJpeg) {
        Log::error("saving: cannot encode the photo");
        return std::nullopt;
    }
    return Encoded{std::move(*photo), std::move(*thumbnailJpeg), std::move(*posterJpeg)};
}

std::optional<std::string> ExifImageSaver::saving(const Encoded& encoded, CameraRoll& cameraRoll,
                                                  const LocationSource* location, const PhotoOrigin& origin) {
    // The EXIF block goes into the photo in memory, so the photo is written
    // once; the date is the moment of saving (the original one the moment of
    // the shot), the position the source's now.
    ExifWriter writer(cameraRoll.albumPath() + " (new photo)");
    writer.setOrigin(origin);
    const auto stamped = writer.stamped(encoded.image, location);
    if (!stamped) Log::warning("saving: the new photo is saved without its EXIF tags");
    return cameraRoll.saveImageData(stamped ? std::span<const std::uint8_t>(*stamped) : encoded.image,
                                    encoded.thumbnail, encoded.poster);
}

void ExifImageSaver::saveInThread(const Image& image, std::shared_ptr<CameraRoll> cameraRoll, WorkerQueue& worker,
                                  std::shared_ptr<const LocationSource> location, PhotoOrigin origin,
                                  Completion completion) {
    // The photo is encoded on the worker (a 12 MP photo's JPEG would hold
    // the main loop for frames), and the main thread does not touch the
    // store until the completion.
    worker.enqueue([image, cameraRoll, &worker, location, origin = std::move(origin), completion] {
        const auto encoded = encode(image);
        if (!encoded) {
            worker.complete([completion] {
                if (completion) completion(std::nullopt);
            });
            return;
        }
        std::optional<std::string> path;
        try {
            path = saving(*encoded, *cameraRoll, location.get(), origin);
        } catch (const std::exception& e) {
            Log::error(std::string("saving: the photo could not be saved: ") + e.what());
        }
        worker.complete([cameraRoll, path, completion] {
            // What the save changed, read at a cost that does not grow with the store.
            cameraRoll->refresh();
            if (completion) completion(path);
        });
    });
}

}  // namespace kestrel
