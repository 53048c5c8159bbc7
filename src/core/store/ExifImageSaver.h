#pragma once

#include "core/base/Image.h"
#include "core/exif/PhotoOrigin.h"
#include "core/platform/LocationSource.h"
#include "core/platform/RunLoop.h"
#include "core/platform/WorkerQueue.h"
#include "core/store/CameraRoll.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Saves a photo into a store of Kestrel's own: the photo (JPEG 0.95), a
// 75 × 75 thumbnail and a 55 × 55 poster (JPEG 0.9) are encoded on the
// calling (main) thread; the store's saver worker builds the EXIF tags into
// the photo in memory and writes the three through the store, the photo
// once, after the saves queued before; the completion comes back to the main
// run loop, after the store was read fully again. The photo's origin (why
// and when it was taken) goes into its tags with the rest.
class ExifImageSaver {
public:
    // The photo's path, or none when it could not be saved.
    using Completion = std::function<void(const std::optional<std::string>& path)>;

    static void saveInThread(const Image& image, std::shared_ptr<CameraRoll> cameraRoll, WorkerQueue& worker,
                             std::shared_ptr<const LocationSource> location, PhotoOrigin origin,
                             Completion completion);

    // The pieces, for callers that save synchronously (and tests).
    struct Encoded {
        std::vector<std::uint8_t> image;
        std::vector<std::uint8_t> thumbnail;
        std::vector<std::uint8_t> poster;
    };
    static std::optional<Encoded> encode(const Image& image);
    // The background body: stamp in memory, then write through the store.
    // Any thread.
    static std::optional<std::string> saving(const Encoded& encoded, CameraRoll& cameraRoll,
                                             const LocationSource* location, const PhotoOrigin& origin = {});
};

}  // namespace kestrel
