#pragma once

#include "core/store/CameraRoll.h"
#include "core/store/DirectoryUtils.h"

namespace kestrel {

// The device's own camera roll as a store: the platform adds photos to it;
// Kestrel reads it and finds the photo just added.
class AppleCameraRoll final : public CameraRoll {
public:
    explicit AppleCameraRoll(const std::optional<std::string>& root = std::nullopt,
                             const SystemUtils& system = SystemUtils::current())
        : CameraRoll(DirectoryUtils::getCameraRollFolder(root), system) {}
    bool isAppleCameraRoll() const override { return true; }
};

}  // namespace kestrel
