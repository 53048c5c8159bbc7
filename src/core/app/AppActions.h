#pragma once

#include <string>

namespace kestrel {

class KestrelApp;

// What Kestrel offers to be done from outside the window (the desktop's
// application actions on D-Bus, kestrel-cli trigger): each goes through the
// same button or path a tap would, so a remote press is exactly a press.
// Main thread.
class AppActions {
public:
    // Done, or the one-line reason why nothing was done (also logged).
    struct Outcome {
        bool done = false;
        std::string why;
        explicit operator bool() const { return done; }
    };

    explicit AppActions(KestrelApp& app) : app_(&app) {}

    // A press of the shutter button: whatever the current mode does on a
    // press (a picture, a count-down or a sensing watch started, or stopped).
    Outcome takePicture();
    // Stops what runs by itself: a count-down or a sensing watch (as a press
    // would), a rapid-fire series under way, a held first exposure. Nothing
    // running is no failure.
    Outcome cancel();
    // The shooting mode by its number, as the settings would set it.
    Outcome setMode(int mode);
    // Opens the album, as its button does.
    Outcome album();

private:
    bool cameraShown() const;
    Outcome notOnCamera(const char* action) const;

    KestrelApp* app_;
};

}  // namespace kestrel
