#pragma once

#include "core/platform/RunLoop.h"
#include "core/store/PhotoAlbum.h"

#include <memory>
#include <mutex>
#include <string>

namespace kestrel {

// The saved-photos album of a Linux device: the DCIM tree at the camera-roll
// folder, written as the platform camera writes it (JPEG 0.95, the next
// folder and file name, the thumbnail in .MISC, the poster, the record, the
// date and device tags) on a worker thread, one save at a time; the
// completion is posted to the main run loop, which must outlive the save.
class DcimPhotoAlbum final : public PhotoAlbum {
public:
    DcimPhotoAlbum(std::string root, RunLoop& mainLoop);
    void writeImageToSavedPhotosAlbum(const Image& image, Completion completion) override;
    const std::string& root() const { return root_; }

private:
    std::string root_;
    RunLoop* mainLoop_;
    std::shared_ptr<std::mutex> saving_;  // one save into the tree at a time
};

}  // namespace kestrel
