#pragma once

#include "core/platform/AudioUnit.h"

#include <optional>
#include <string>

namespace kestrel {

// The microphone of a Linux desktop through the PulseAudio client library
// (PulseAudio or PipeWire's server): the default source, or the server named.
class PulseMicrophone final : public AudioSystem {
public:
    // With `loop` (a real-time one), its units time their cycles on its clock.
    explicit PulseMicrophone(std::optional<std::string> server = std::nullopt,
                             const RunLoop* loop = nullptr)
        : server_(std::move(server)), loop_(loop) {}

    std::unique_ptr<AudioUnit> newInstance(const ComponentDescription& description,
                                           AudioStatus& status) override;
    std::optional<std::string> currentRoute() const override;
    // Whether a server answers a record request; if not, why.
    bool available(std::string* error = nullptr) const;

private:
    std::optional<std::string> server_;
    const RunLoop* loop_;
};

}  // namespace kestrel
