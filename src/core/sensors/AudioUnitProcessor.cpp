#include "core/sensors/AudioUnitProcessor.h"

#include "core/platform/Log.h"
#include "core/platform/NotificationCenter.h"

namespace kestrel {

AudioUnitProcessor::~AudioUnitProcessor() {
    route_.clear();
    stopUnit();
}

bool AudioUnitProcessor::failed(const char* step, AudioStatus status) {
    Log::warning(std::string("audio input: ") + step + " failed with status " +
                 std::to_string(status));
    return false;
}

bool AudioUnitProcessor::load() {
    if (unit_ && !stopUnit()) return false;  // never two live instances
    AudioStatus status = 0;
    unit_ = system_->newInstance(AudioSystem::kRemoteIO, status);
    if (!unit_) return failed("finding the input/output unit", status != 0 ? status : -1);
    return true;
}

bool AudioUnitProcessor::enable() {
    if (!unit_) return false;
    const char* step = "enabling input";
    AudioStatus status = unit_->enableInput(AudioUnit::kInputElement, true);
    AudioStreamFormat format;
    if (status == 0) {
        if (sampleRate_ != 0) {
            format = AudioStreamFormat::mono16(static_cast<double>(sampleRate_));
        } else if (unit_->streamFormat(AudioUnit::Scope::kInput, AudioUnit::kOutputElement,
                                       format) != 0) {
            format = AudioStreamFormat::mono16(8000);
        }
        bitsPerSample_ = format.bitsPerChannel;
        channel_ = format.channelsPerFrame;
        step = "setting the microphone format";
        status =
            unit_->setStreamFormat(AudioUnit::Scope::kOutput, AudioUnit::kInputElement, format);
    }
    if (status == 0) {
        step = "setting the speaker format";
        status =
            unit_->setStreamFormat(AudioUnit::Scope::kInput, AudioUnit::kOutputElement, format);
    }
    if (status == 0) {
        step = "installing the render callback";
        status = unit_->setRenderCallback(AudioUnit::kOutputElement,
                                          &AudioUnitProcessor::renderCallback, this);
    }
    // Initialised on every path, so a configured unit is ready to start.
    const AudioStatus initialized = unit_->initialize();
    // A configuration step that failed is a failure, even when the unit
    // initialises: a unit without microphone input must not pass as working.
    if (status != 0) return failed(step, status);
    if (initialized != 0) return failed("initialising the unit", initialized);
    return true;
}

bool AudioUnitProcessor::startUnit() {
    if (!load() || !enable()) return false;
    if (const AudioStatus status = unit_->start(); status != 0)
        return failed("starting the unit", status);
    updateRoute();
    running_.store(true, std::memory_order_release);
    return true;
}

bool AudioUnitProcessor::stopUnit() {
    if (!unit_) return true;
    running_.store(false, std::memory_order_release);
    if (const AudioStatus status = unit_->dispose(); status != 0)
        return failed("disposing of the unit", status);
    unit_.reset();
    return true;
}

bool AudioUnitProcessor::restart() { return stopUnit() && startUnit(); }

void AudioUnitProcessor::updateRoute() {
    route_ = system_->currentRoute().value_or("");
    NotificationCenter::defaultCenter().postNotificationName(kRouteChangedNotification, this);
}

AudioStatus AudioUnitProcessor::renderInput(std::uint32_t* flags, double sampleTime,
                                            std::uint32_t frames, AudioBufferList* buffers) {
    return unit_->render(flags, sampleTime, AudioUnit::kInputElement, frames, buffers);
}

AudioStatus AudioUnitProcessor::process(std::uint32_t* flags, double sampleTime,
                                        std::uint32_t frames, AudioBufferList* buffers) {
    return renderInput(flags, sampleTime, frames, buffers);
}

AudioStatus AudioUnitProcessor::renderCallback(void* context, std::uint32_t* flags,
                                               double sampleTime, std::uint32_t frames,
                                               AudioBufferList* buffers) {
    return static_cast<AudioUnitProcessor*>(context)->process(flags, sampleTime, frames, buffers);
}

}  // namespace kestrel
