#pragma once

#include "core/platform/FaceFinder.h"

#include <memory>
#include <string>

namespace kestrel {

class Camera1Data;
class CameraHandler;

// Which shooting modes this installation offers: every mode that has a
// handler, and the Faces mode only where its face finder is installed. The
// programs set the finder at start-up; main thread.
class ModeOffer {
public:
    // The face finder, or none with the reason it is missing.
    static void setFaceFinder(std::shared_ptr<FaceFinder> finder, std::string missingReason = {});
    static std::shared_ptr<FaceFinder> faceFinder();
    static std::string facesMissingReason();
    static bool offered(int mode);
    // The handler for a mode number, offered here or not; none for a mode
    // without one (yet).
    static std::unique_ptr<CameraHandler> handlerFor(int mode);
    // A stored mode this installation does not offer becomes Standard, and
    // one log line says why; answers whether it did.
    static bool fallBack(Camera1Data& record);
};

}  // namespace kestrel
