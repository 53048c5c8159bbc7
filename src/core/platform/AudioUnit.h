#pragma once

#include "core/platform/RunLoop.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// 0 is success; any other value is the platform's error code.
using AudioStatus = std::int32_t;

// The layout of the samples a unit exchanges with the application.
struct AudioStreamFormat {
    static constexpr std::uint32_t kSignedIntegerPacked = 12;

    double sampleRate = 0;
    std::uint32_t formatFlags = 0;
    std::uint32_t bytesPerPacket = 0;
    std::uint32_t framesPerPacket = 0;
    std::uint32_t bytesPerFrame = 0;
    std::uint32_t channelsPerFrame = 0;
    std::uint32_t bitsPerChannel = 0;

    // Packed integer samples of 16 or 32 bits, one to eight channels, the
    // frame size matching: what Kestrel's units exchange.
    bool packedPcm() const {
        return (bitsPerChannel == 16 || bitsPerChannel == 32) && channelsPerFrame >= 1 &&
               channelsPerFrame <= 8 && bytesPerFrame == channelsPerFrame * bitsPerChannel / 8;
    }

    // Linear PCM, signed and packed, one 16-bit channel.
    static AudioStreamFormat mono16(double sampleRate) {
        return AudioStreamFormat{sampleRate, kSignedIntegerPacked, 2, 1, 2, 1, 16};
    }
};

struct AudioBuffer {
    std::uint32_t channels = 0;
    std::uint32_t byteSize = 0;
    void* data = nullptr;
};

struct AudioBufferList {
    std::uint32_t count = 0;
    AudioBuffer* buffers = nullptr;
};

// The platform's input/output audio unit: microphone samples in (element 1),
// samples for the speaker out (element 0). Once started it calls the render
// callback once per audio cycle on its own audio thread with the cycle's
// output buffers; inside the callback `render` pulls the microphone input.
// Every other call comes from the main thread.
class AudioUnit {
public:
    enum class Scope { kInput, kOutput };
    static constexpr std::uint32_t kOutputElement = 0;
    static constexpr std::uint32_t kInputElement = 1;
    using RenderCallback = AudioStatus (*)(void* context, std::uint32_t* flags, double sampleTime,
                                           std::uint32_t frames, AudioBufferList* buffers);

    virtual ~AudioUnit() = default;

    virtual AudioStatus enableInput(std::uint32_t element, bool enable) = 0;
    virtual AudioStatus streamFormat(Scope scope, std::uint32_t element,
                                     AudioStreamFormat& format) const = 0;
    virtual AudioStatus setStreamFormat(Scope scope, std::uint32_t element,
                                        const AudioStreamFormat& format) = 0;
    virtual AudioStatus setRenderCallback(std::uint32_t element, RenderCallback callback,
                                          void* context) = 0;
    virtual AudioStatus initialize() = 0;
    virtual AudioStatus start() = 0;
    // Audio thread, inside the callback: `frames` frames of microphone input
    // into `buffers`, in the format set on the output side of element 1.
    virtual AudioStatus render(std::uint32_t* flags, double sampleTime, std::uint32_t element,
                               std::uint32_t frames, AudioBufferList* buffers) = 0;
    // Audio thread, inside the callback: when the cycle's last input sample
    // reached the microphone, on the run loop's clock (the cycle's end less
    // the input's latency); none when the unit cannot tell.
    virtual std::optional<RunLoop::Duration> inputTime() const { return std::nullopt; }
    // Stops the unit; once this answers 0 no callback runs any more.
    virtual AudioStatus dispose() = 0;
};

constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return static_cast<std::uint32_t>(code[0]) << 24 | static_cast<std::uint32_t>(code[1]) << 16 |
           static_cast<std::uint32_t>(code[2]) << 8 | static_cast<std::uint32_t>(code[3]);
}

// The platform's audio: finds the input/output unit and creates instances of
// it, and names the current audio route.
class AudioSystem {
public:
    struct ComponentDescription {
        std::uint32_t type = 0;
        std::uint32_t subType = 0;
        std::uint32_t manufacturer = 0;
    };
    // The remote input/output unit.
    static constexpr ComponentDescription kRemoteIO{fourCharCode("auou"), fourCharCode("rioc"),
                                                    fourCharCode("appl")};

    virtual ~AudioSystem() = default;
    // A new instance of the described unit, or none with `status` set.
    virtual std::unique_ptr<AudioUnit> newInstance(const ComponentDescription& description,
                                                   AudioStatus& status) = 0;
    // The current route's name; none when unknown.
    virtual std::optional<std::string> currentRoute() const = 0;
};

}  // namespace kestrel
