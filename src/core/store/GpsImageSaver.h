#pragma once

#include "core/imaging/Image.h"
#include "core/platform/GeoPosition.h"
#include "core/platform/LocationSource.h"
#include "core/platform/RunLoop.h"
#include "core/store/CameraRoll.h"
#include "core/store/PhotoAlbum.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Where every reviewed photo goes. With no store of Kestrel's own: into the
// device's album through the platform, after which the new file is found by
// comparing readings of the device camera roll and, with a position, gets
// the GPS tags. With a store of Kestrel's own: the background saver.
// Main thread; the completion is called once per save, on the main thread,
// with the photo's path or none (a later save replaces an earlier target).
class GpsImageSaver {
public:
    using Completion = std::function<void(const std::optional<std::string>& path)>;

    GpsImageSaver(PhotoAlbum& album, std::string deviceRollRoot, RunLoop& mainLoop,
                  std::shared_ptr<const LocationSource> location);

    void saveImage(const Image& image, const std::optional<GeoPosition>& position,
                   std::shared_ptr<CameraRoll> store, Completion completion);

private:
    void didFinishSaving(const std::optional<GeoPosition>& position);

    PhotoAlbum* album_;
    std::string deviceRollRoot_;
    RunLoop* mainLoop_;
    std::shared_ptr<const LocationSource> location_;
    std::shared_ptr<CameraRoll> cameraRoll_;  // the reading before the current save
    Completion target_;
};

}  // namespace kestrel
