#pragma once

#include "core/platform/Accelerometer.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// An accelerometer that plays a motion: one of the named ones or a trace of
// "t,x,y,z" lines (seconds, g). Samples come on the run loop at the update
// interval, each the motion's value at that moment.
class SimulatedAccelerometer final : public Accelerometer {
public:
    struct Sample {
        double t = 0;
        float x = 0, y = 0, z = 0;
    };

    // "steady" (upright, still), "tremor" (upright, held by a hand), "flat"
    // (on a table), "landscape-left", "landscape-right", "toss" (still for
    // two seconds, a jolt of a few g, still again); none for another name.
    static std::optional<SimulatedAccelerometer> named(RunLoop& loop, const std::string& name);
    // A trace file; none (with the reason) when it cannot be read.
    static std::optional<SimulatedAccelerometer> fromTrace(RunLoop& loop,
                                                           const std::filesystem::path& file,
                                                           std::string* error = nullptr);
    static std::vector<std::string> names();

    SimulatedAccelerometer(SimulatedAccelerometer&& other) noexcept;
    SimulatedAccelerometer(const SimulatedAccelerometer&) = delete;
    SimulatedAccelerometer& operator=(const SimulatedAccelerometer&) = delete;
    SimulatedAccelerometer& operator=(SimulatedAccelerometer&&) = delete;

    void setUpdateInterval(double seconds) override;
    void setDelegate(Delegate delegate) override;

    // The motion's value at `t` seconds after the first sample.
    Sample at(double t) const;

private:
    enum class Motion { kTrace, kSteady, kTremor, kFlat, kLandscapeLeft, kLandscapeRight, kToss };
    SimulatedAccelerometer(RunLoop& loop, Motion motion, std::vector<Sample> trace = {});
    void restart();

    RunLoop* loop_;
    Motion motion_;
    std::vector<Sample> trace_;
    Timer timer_;
    double interval_ = 0.1;
    Delegate delegate_;
    std::optional<RunLoop::Duration> startedAt_;
};

}  // namespace kestrel
