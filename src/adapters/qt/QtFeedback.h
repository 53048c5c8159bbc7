#pragma once

namespace kestrel {

// Haptic feedback through feedbackd (the session's org.sigxcpu.Feedback
// service, on Linux phones): the camera-shutter event. Where the service
// is absent nothing happens.
class QtFeedback {
public:
    // Answers whether the service took the event.
    bool vibrate();
};

}  // namespace kestrel
