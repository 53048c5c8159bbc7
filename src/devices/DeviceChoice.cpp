#include "devices/DeviceChoice.h"

#include "adapters/linux/IioAccelerometer.h"
#include "adapters/linux/PulseMicrophone.h"
#include "core/platform/AbsentAccelerometer.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedMicrophone.h"

namespace kestrel {

DeviceChoice::DeviceChoice(RunLoop& loop, Options options) {
    chooseAccelerometer(loop, options);
    chooseMicrophone(loop, options);
    reports_.push_back(
        {"location",
         "the window asks the desktop's location service (GeoClue through Qt Positioning)",
         "the window: that service, or a replayed NMEA log (--location-nmea); kestrel-cli: "
         "--location or --location-nmea"});
}

void DeviceChoice::chooseAccelerometer(RunLoop& loop, const Options& options) {
    std::string error;
    std::unique_ptr<IioAccelerometer> iio = IioAccelerometer::find(loop, options.iioRoot, &error);
    const std::string found =
        iio ? "IIO accelerometer at " + iio->device().string() : "none (" + error + ")";
    if (iio && !options.simulate && options.accel.empty()) {
        reports_.push_back({"accelerometer", found, found});
        accelerometer_ = std::move(iio);
        return;
    }
    // None found and no simulation asked for (or none asked for by name): the
    // device has none, and says so, rather than pretending to be held still.
    if (options.accel == "none" || (!iio && !options.simulate && options.accel.empty())) {
        reports_.push_back({"accelerometer", found, "none"});
        accelerometer_ = std::make_unique<AbsentAccelerometer>();
        return;
    }
    const std::string motion = options.accel.empty() ? "steady" : options.accel;
    auto simulated = SimulatedAccelerometer::named(loop, motion);
    if (!simulated)
        simulated.emplace(SimulatedAccelerometer::fromTrace(loop, motion, &error)
                              .value_or(std::move(*SimulatedAccelerometer::named(loop, "steady"))));
    reports_.push_back({"accelerometer", found, "simulated (" + motion + ")"});
    accelerometer_ = std::make_unique<SimulatedAccelerometer>(std::move(*simulated));
}

void DeviceChoice::chooseMicrophone(RunLoop& loop, const Options& options) {
    auto pulse = std::make_unique<PulseMicrophone>(std::nullopt, &loop);
    std::string error;
    const bool present = pulse->available(&error);
    const std::string found =
        present ? "microphone through " + pulse->currentRoute().value_or("PulseAudio")
                : "none (" + error + ")";
    if (present && !options.simulate && options.mic.empty()) {
        reports_.push_back({"microphone", found, found});
        microphone_ = std::move(pulse);
        return;
    }
    const std::string sound = options.mic.empty() ? "quiet" : options.mic;
    auto signal = MicrophoneSignal::named(sound);
    if (!signal) signal = MicrophoneSignal::fromFile(sound);
    if (!signal) signal = MicrophoneSignal::named("quiet");
    reports_.push_back({"microphone", found, "simulated (" + sound + ")"});
    microphone_ = std::make_unique<SimulatedMicrophone>(loop, *signal);
}

}  // namespace kestrel
