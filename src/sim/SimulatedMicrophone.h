#pragma once

#include "core/platform/AudioUnit.h"
#include "core/platform/RunLoop.h"
#include "sim/MicrophoneSignal.h"
#include "sim/SimulatedAudioUnit.h"

#include <memory>

namespace kestrel {

// The audio system of a machine without a microphone: every unit it makes
// hears the same signal, paced by the run loop.
class SimulatedMicrophone final : public AudioSystem {
public:
    SimulatedMicrophone(RunLoop& loop, MicrophoneSignal signal)
        : loop_(&loop), signal_(std::move(signal)) {}

    std::unique_ptr<AudioUnit> newInstance(const ComponentDescription& description,
                                           AudioStatus& status) override;
    std::optional<std::string> currentRoute() const override { return "Simulated Microphone"; }

    // What every unit made so far has done.
    const AudioUnitCounters& counters() const { return *counters_; }
    // Refuse to make units, as a machine whose audio input is gone.
    void setAvailable(bool available) { available_ = available; }

private:
    RunLoop* loop_;
    MicrophoneSignal signal_;
    std::shared_ptr<AudioUnitCounters> counters_ = std::make_shared<AudioUnitCounters>();
    bool available_ = true;
};

}  // namespace kestrel
