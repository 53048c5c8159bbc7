#pragma once

#include "core/imaging/ImageProcessingEffect.h"

namespace kestrel {

// The night-vision effect (effect number 10) of the photo road.
class NightVisionEffect final : public ImageProcessingEffect {
public:
    void resetProcessor() override;
};

}  // namespace kestrel
