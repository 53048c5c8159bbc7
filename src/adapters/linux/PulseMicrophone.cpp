#include "adapters/linux/PulseMicrophone.h"

#include "adapters/linux/PulseAudioUnit.h"

namespace kestrel {

std::unique_ptr<AudioUnit> PulseMicrophone::newInstance(const ComponentDescription& description,
                                                        AudioStatus& status) {
    constexpr AudioStatus kNoSuchComponent = -66748;
    if (description.type != kRemoteIO.type || description.subType != kRemoteIO.subType) {
        status = kNoSuchComponent;
        return nullptr;
    }
    status = 0;
    return std::make_unique<PulseAudioUnit>(server_, loop_);
}

std::optional<std::string> PulseMicrophone::currentRoute() const {
    return server_ ? "PulseAudio at " + *server_ : std::string("PulseAudio default source");
}

bool PulseMicrophone::available(std::string* error) const {
    return PulseAudioUnit::probe(server_, error);
}

}  // namespace kestrel
