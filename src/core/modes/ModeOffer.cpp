#include "core/modes/ModeOffer.h"

#include "core/camera/CameraControllerHelper.h"
#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {
namespace {

struct Offer {
    std::shared_ptr<FaceFinder> finder;
    std::string missing = "no face finder was set up";
};

Offer& offer() {
    static Offer instance;
    return instance;
}

}  // namespace

void ModeOffer::setFaceFinder(std::shared_ptr<FaceFinder> finder, std::string missingReason) {
    offer().finder = std::move(finder);
    offer().missing = offer().finder ? std::string() : std::move(missingReason);
}

std::shared_ptr<FaceFinder> ModeOffer::faceFinder() { return offer().finder; }

std::string ModeOffer::facesMissingReason() { return offer().missing; }

bool ModeOffer::offered(int mode) {
    if (mode == Camera1Data::kFaces) return offer().finder != nullptr;
    return CameraControllerHelper::handlerForMode(mode) != nullptr;
}

bool ModeOffer::fallBack(Camera1Data& record) {
    if (record.mode() != Camera1Data::kFaces || offered(record.mode())) return false;
    Log::warning("settings: the stored mode is Faces, but " + facesMissingReason() +
                 "; using Standard");
    record.setMode(Camera1Data::kStandard);
    return true;
}

}  // namespace kestrel
