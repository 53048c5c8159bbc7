#pragma once

#include "core/platform/AudioUnit.h"

#include <cstdint>
#include <vector>

namespace kestrel {

// What every input/output unit that runs its own audio cycles shares: input
// enabled on the input element, the render callback on the output element,
// the platform's error codes, and one cycle handed to the callback.
class CycleAudioUnit : public AudioUnit {
public:
    static constexpr AudioStatus kFormatNotSupported = -10868;
    static constexpr AudioStatus kInvalidElement = -10877;

    AudioStatus enableInput(std::uint32_t element, bool enable) final;
    AudioStatus setRenderCallback(std::uint32_t element, RenderCallback callback,
                                  void* context) final;

protected:
    bool inputEnabled() const { return inputEnabled_; }
    // Audio thread: the callback fills and clears `output`; answers whether
    // it left any sound in it.
    bool renderCycle(std::vector<std::uint8_t>& output, std::uint32_t channels,
                     std::uint32_t frames, double sampleTime);

private:
    bool inputEnabled_ = false;
    RenderCallback callback_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace kestrel
