#include "core/imaging/NightVisionEffect.h"

#include "core/imaging/CAutoNightVisionImageEffect.h"

namespace kestrel {

void NightVisionEffect::resetProcessor() {
    processor_ = std::make_unique<CAutoNightVisionImageEffect>();
}

}  // namespace kestrel
