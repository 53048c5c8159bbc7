#include "sim/SimulatedMicrophone.h"

namespace kestrel {

std::unique_ptr<AudioUnit> SimulatedMicrophone::newInstance(const ComponentDescription& description,
                                                            AudioStatus& status) {
    constexpr AudioStatus kNoSuchComponent = -66748;
    if (!available_ || description.type != kRemoteIO.type ||
        description.subType != kRemoteIO.subType) {
        status = kNoSuchComponent;
        return nullptr;
    }
    ++counters_->units;
    status = 0;
    return std::make_unique<SimulatedAudioUnit>(*loop_, signal_, counters_);
}

}  // namespace kestrel
