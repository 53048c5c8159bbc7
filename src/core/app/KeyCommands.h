#pragma once

namespace kestrel {

class KestrelApp;

// What the keyboard does, whichever window or toolkit delivers the keys:
// Space takes a picture; Return keeps a reviewed picture (Use) and is the
// shutter otherwise; Backspace retakes; A opens the album, S the settings;
// M steps to the next mode; Escape goes back. Each goes through the same
// button or action a tap would. Main thread.
class KeyCommands {
public:
    enum class Key { kSpace, kReturn, kBackspace, kEscape, kA, kS, kM };

    explicit KeyCommands(KestrelApp& app) : app_(&app) {}

    // YES when the key did something here.
    bool press(Key key);

private:
    bool cameraShown() const;
    bool reviewing() const;
    bool back();

    KestrelApp* app_;
};

}  // namespace kestrel
