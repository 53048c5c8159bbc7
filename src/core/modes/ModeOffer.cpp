#include "core/modes/ModeOffer.h"

#include "core/modes/CameraDlxHandler.h"
#include "core/modes/CameraFacesHandler.h"
#include "core/modes/CameraMotionHandler.h"
#include "core/modes/CameraRapidHandler.h"
#include "core/modes/CameraSoundHandler.h"
#include "core/modes/CameraStabilizerHandler.h"
#include "core/modes/CameraTimerHandler.h"
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
    return handlerFor(mode) != nullptr;
}

std::unique_ptr<CameraHandler> ModeOffer::handlerFor(int mode) {
    switch (mode) {
        case Camera1Data::kStabilizing:
            return std::make_unique<CameraStabilizerHandler>();
        case Camera1Data::kStandard:
            return std::make_unique<CameraStandardHandler>();
        case Camera1Data::kTimer:
            return std::make_unique<CameraTimerHandler>();
        case Camera1Data::kMoving:
            return std::make_unique<CameraTossHandler>();
        case Camera1Data::kMotion:
            return std::make_unique<CameraMotionHandler>();
        case Camera1Data::kSound:
            return std::make_unique<CameraSoundHandler>();
        case Camera1Data::kRapidFire:
            return std::make_unique<CameraRapidHandler>();
        case Camera1Data::kDoubleExposure:
            return std::make_unique<CameraDlxHandler>();
        case Camera1Data::kAnaglyph3D:
            return std::make_unique<Camera3dHandler>();
        case Camera1Data::kFaces:
            return std::make_unique<CameraFacesHandler>();
        default:
            return nullptr;  // video and print are not shooting modes
    }
}

bool ModeOffer::fallBack(Camera1Data& record) {
    if (record.mode() != Camera1Data::kFaces || offered(record.mode())) return false;
    Log::warning("settings: the stored mode is Faces, but " + facesMissingReason() +
                 "; using Standard");
    record.setMode(Camera1Data::kStandard);
    return true;
}

}  // namespace kestrel
