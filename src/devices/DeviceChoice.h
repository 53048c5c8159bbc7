#pragma once

#include "core/platform/Accelerometer.h"
#include "core/platform/AudioUnit.h"
#include "core/platform/RunLoop.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrel {

// Which device serves each port: the real one when it is present (and not
// --simulate), a simulated one otherwise. Each device is chosen on its own,
// and the choice says what was found and what is used. The camera is
// CameraChoice's.
class DeviceChoice {
public:
    struct Options {
        bool simulate = false;
        std::string accel;  // a simulated motion to use instead, or "none" (empty: choose)
        std::string mic;    // a simulated sound or file to use instead (empty: choose)
        std::string iioRoot = "/sys/bus/iio/devices";
    };
    struct Report {
        std::string device;  // "accelerometer", "microphone", ...
        std::string found;   // what is present, or "none" with the reason
        std::string used;    // what Kestrel uses
    };

    DeviceChoice(RunLoop& loop, Options options);

    std::unique_ptr<Accelerometer> takeAccelerometer() { return std::move(accelerometer_); }
    std::unique_ptr<AudioSystem> takeMicrophone() { return std::move(microphone_); }
    const std::vector<Report>& reports() const { return reports_; }

private:
    void chooseAccelerometer(RunLoop& loop, const Options& options);
    void chooseMicrophone(RunLoop& loop, const Options& options);

    std::unique_ptr<Accelerometer> accelerometer_;
    std::unique_ptr<AudioSystem> microphone_;
    std::vector<Report> reports_;
};

}  // namespace kestrel
