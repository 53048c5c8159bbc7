#pragma once

#include <array>

namespace kestrel {

class KestrelApp;

// What the keyboard does, whichever window or toolkit delivers the keys:
// Space, the volume keys (as phones and Bluetooth remote shutters send
// them) and the camera key take a picture; Return keeps a reviewed picture
// (Use) and is the shutter otherwise; Backspace retakes; A opens the album,
// S the settings; M steps to the next mode; Escape goes back; F1 or ?
// shows the list of keys over the screen (and Escape or either again hides
// it). Each goes through the same button or action a tap would. Main thread.
class KeyCommands {
public:
    enum class Key {
        kSpace,
        kReturn,
        kBackspace,
        kEscape,
        kA,
        kS,
        kM,
        kVolumeUp,
        kVolumeDown,
        kCamera,
        kHelp
    };

    // One line of the key list: the keys, and what they do.
    struct Help {
        const char* keys;
        const char* action;
    };
    // Every key the window knows, in the order the list shows them.
    static constexpr std::array<Help, 12> kKeyList{{
        {"Space", "Take a picture (a press: also starts or stops a count-down or sensing)"},
        {"Volume Up, Volume Down", "Take a picture (phone keys, Bluetooth remote shutters)"},
        {"Camera key", "Take a picture"},
        {"Return, Enter", "Use the reviewed picture; otherwise take a picture"},
        {"Backspace", "Retake: drop the reviewed picture"},
        {"A", "Open the album"},
        {"S", "Open the settings"},
        {"M", "Next shooting mode"},
        {"Escape", "Back; closes this list"},
        {"Tab, Shift+Tab", "Move the focus between the controls"},
        {"Space, Return on a focused control", "Press it"},
        {"F1, ?", "Show or hide this list"},
    }};

    explicit KeyCommands(KestrelApp& app) : app_(&app) {}

    // YES when the key did something here.
    bool press(Key key);
    // Whether the key list is shown over the screen.
    bool keyListShown() const { return keyListShown_; }
    void hideKeyList() { keyListShown_ = false; }

private:
    bool cameraShown() const;
    bool reviewing() const;
    bool back();

    KestrelApp* app_;
    bool keyListShown_ = false;
};

}  // namespace kestrel
