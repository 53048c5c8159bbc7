#include "sim/SimulatedAccelerometer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kestrel {

SimulatedAccelerometer::SimulatedAccelerometer(RunLoop& loop, Motion motion,
                                               std::vector<Sample> trace)
    : loop_(&loop), motion_(motion), trace_(std::move(trace)), timer_(loop) {}

SimulatedAccelerometer::SimulatedAccelerometer(SimulatedAccelerometer&& other) noexcept
    : loop_(other.loop_),
      motion_(other.motion_),
      trace_(std::move(other.trace_)),
      timer_(*other.loop_),
      interval_(other.interval_) {}

std::vector<std::string> SimulatedAccelerometer::names() {
    return {"steady", "tremor", "flat", "landscape-left", "landscape-right", "toss"};
}

std::optional<SimulatedAccelerometer> SimulatedAccelerometer::named(RunLoop& loop,
                                                                    const std::string& name) {
    static const std::pair<const char*, Motion> kMotions[] = {
        {"steady", Motion::kSteady},
        {"tremor", Motion::kTremor},
        {"flat", Motion::kFlat},
        {"landscape-left", Motion::kLandscapeLeft},
        {"landscape-right", Motion::kLandscapeRight},
        {"toss", Motion::kToss},
    };
    for (const auto& [motionName, motion] : kMotions)
        if (name == motionName) return SimulatedAccelerometer(loop, motion);
    return std::nullopt;
}

std::optional<SimulatedAccelerometer> SimulatedAccelerometer::fromTrace(
    RunLoop& loop, const std::filesystem::path& file, std::string* error) {
    std::ifstream in(file);
    if (!in) {
        if (error) *error = "cannot read " + file.string();
        return std::nullopt;
    }
    std::vector<Sample> trace;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        Sample s;
        char tail = 0;
        if (std::sscanf(line.c_str(), "%lf,%f,%f,%f%c", &s.t, &s.x, &s.y, &s.z, &tail) != 4 ||
            !std::isfinite(s.t) || (!trace.empty() && s.t < trace.back().t)) {
            if (lineNumber == 1 && line.find_first_of("0123456789") != 0) continue;  // a header
            if (error)
                *error = file.string() + ":" + std::to_string(lineNumber) +
                         ": expected t,x,y,z in time order";
            return std::nullopt;
        }
        trace.push_back(s);
    }
    if (trace.empty()) {
        if (error) *error = file.string() + " holds no samples";
        return std::nullopt;
    }
    return SimulatedAccelerometer(loop, Motion::kTrace, std::move(trace));
}

SimulatedAccelerometer::Sample SimulatedAccelerometer::at(double t) const {
    switch (motion_) {
        case Motion::kSteady:
            return {t, 0, -1, 0};
        case Motion::kTremor: {
            // A hand's small, quick wobble: a few hundredths of a g.
            const float wobble =
                static_cast<float>(0.03 * std::sin(t * 37.0) + 0.02 * std::sin(t * 91.0 + 1.0));
            return {t, wobble, -1.0f + wobble / 2, wobble / 3};
        }
        case Motion::kFlat:
            return {t, 0, 0, -1};
        case Motion::kLandscapeLeft:
            return {t, -1, 0, 0};
        case Motion::kLandscapeRight:
            return {t, 1, 0, 0};
        case Motion::kToss: {
            const double phase = std::fmod(t, 4.0);
            if (phase >= 2.0 && phase < 2.4) return {t, 2.5f, 1.5f, -3.0f};
            return {t, 0, -1, 0};
        }
        case Motion::kTrace: {
            // The last sample at or before t (the first before the trace starts).
            auto it = std::upper_bound(trace_.begin(), trace_.end(), t,
                                       [](double time, const Sample& s) { return time < s.t; });
            const Sample& s = it == trace_.begin() ? trace_.front() : *(it - 1);
            return {t, s.x, s.y, s.z};
        }
    }
    return {t, 0, -1, 0};
}

void SimulatedAccelerometer::setUpdateInterval(double seconds) {
    interval_ = seconds > 0 ? seconds : 0.1;
    if (delegate_) restart();
}

void SimulatedAccelerometer::setDelegate(Delegate delegate) {
    delegate_ = std::move(delegate);
    if (delegate_)
        restart();
    else
        timer_.stop();
}

void SimulatedAccelerometer::restart() {
    if (!startedAt_) startedAt_ = loop_->now();
    timer_.startRepeating(RunLoop::seconds(interval_), [this] {
        const Sample s = at(RunLoop::toSeconds(loop_->now() - *startedAt_));
        if (delegate_) delegate_(s.x, s.y, s.z);
    });
}

}  // namespace kestrel
