#include "core/platform/CycleAudioUnit.h"

#include <algorithm>

namespace kestrel {

AudioStatus CycleAudioUnit::enableInput(std::uint32_t element, bool enable) {
    if (element != kInputElement) return kInvalidElement;
    inputEnabled_ = enable;
    return 0;
}

AudioStatus CycleAudioUnit::setRenderCallback(std::uint32_t element, RenderCallback callback,
                                              void* context) {
    if (element != kOutputElement) return kInvalidElement;
    callback_ = callback;
    context_ = context;
    return 0;
}

bool CycleAudioUnit::renderCycle(std::vector<std::uint8_t>& output, std::uint32_t channels,
                                 std::uint32_t frames, double sampleTime) {
    std::uint32_t flags = 0;
    AudioBuffer buffer{channels, static_cast<std::uint32_t>(output.size()), output.data()};
    AudioBufferList list{1, &buffer};
    if (callback_) callback_(context_, &flags, sampleTime, frames, &list);
    return std::any_of(output.begin(), output.end(), [](std::uint8_t b) { return b != 0; });
}

}  // namespace kestrel
