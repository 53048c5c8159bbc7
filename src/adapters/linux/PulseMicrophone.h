#pragma once

#include "core/platform/AudioUnit.h"

#include <optional>
#include <string>

namespace kestrel {

// The microphone of a Linux desktop through the PulseAudio client library
// (PulseAudio or PipeWire's server): the default source, or the server named.
class PulseMicrophone final : public AudioSystem {
public:
    explicit PulseMicrophone(std::optional<std::string> server = std::nullopt)
        : server_(std::move(server)) {}

    std::unique_ptr<AudioUnit> newInstance(const ComponentDescription& description,
                                           AudioStatus& status) override;
    std::optional<std::string> currentRoute() const override;
    // Whether a server answers a record request; if not, why.
    bool available(std::string* error = nullptr) const;

private:
    std::optional<std::string> server_;
};

}  // namespace kestrel
