#pragma once

#include "core/about/AppInfo.h"
#include "core/app/AppSettings.h"
#include "core/app/KestrelAppDelegate.h"
#include "core/camera/CameraControllerHelper.h"
#include "core/camera/CameraRootController.h"
#include "core/camera/CameraViewManager.h"
#include "core/library/CameraRollPicker.h"
#include "core/platform/Accelerometer.h"
#include "core/platform/AudioUnit.h"
#include "core/platform/CameraPicker.h"
#include "core/platform/ContactPicker.h"
#include "core/platform/IdleTimer.h"
#include "core/platform/LocationManager.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/RunLoop.h"
#include "core/platform/SystemSounds.h"
#include "core/platform/Timer.h"
#include "core/platform/UrlOpener.h"
#include "core/platform/WorkerQueue.h"
#include "core/sensors/DevicePosition.h"
#include "core/settingsui/SettingsController.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/store/DeviceLocation.h"
#include "core/ui/AnimationBlock.h"
#include "core/ui/ScreenLayout.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// The whole application without its window: every screen and the services
// behind them, built from the platform's ports, as start-up builds them.
// The camera shows first; the toolbar's album button opens the album over
// it and the settings button the settings; "Flip" from the album, the
// viewer, the settings or About takes the user back to the camera.
//
// Every change of a setting is written on the next turn of the run loop.
// The photo saves run on two saver workers owned here (one for a store of
// Kestrel's own, one for the device camera roll); quitting lets them finish.
class KestrelApp {
public:
    struct Ports {
        RunLoop& loop;
        CameraPicker& camera;
        Accelerometer& accelerometer;
        SystemSounds& sounds;
        std::unique_ptr<LocationManager> location;
        AudioSystem* audio = nullptr;       // none: no microphone
        IdleTimer* idleTimer = nullptr;     // none: the screen may sleep
        UrlOpener* urls = nullptr;          // none: links do nothing
        ContactPicker* contacts = nullptr;  // none: no address book
    };
    struct Options {
        std::optional<std::filesystem::path> configDir;
        std::optional<std::string>
            dcim;  // the device camera roll; default: $KESTREL_DCIM or Pictures/DCIM
        std::optional<std::string> store;  // save into a store of Kestrel's own instead
        std::filesystem::path resources;   // the bundle folder (beep.wav, Apps/)
        AppIdentity identity;
        // The platform the screens follow (the settings' way in before and
        // from system 4.0); none: this one's (SystemUtils::current()).
        const SystemUtils* system = nullptr;
        // Holds every save job before it runs, on the saver workers (none:
        // they run at once); a test program's slow disk.
        WorkerQueue::Gate saveGate;
    };

    KestrelApp(Ports ports, Options options);
    ~KestrelApp();
    KestrelApp(const KestrelApp&) = delete;
    KestrelApp& operator=(const KestrelApp&) = delete;

    // Start-up: the delegate's sequence, then the camera shown.
    void start();
    // The screen on top now (what the window shows).
    ViewController& topController() { return root_->topController(); }
    // The window's size in points and its display's pixels per point, told
    // on start, at every resize and before every paint: when it (or the
    // shape of the camera's frames) changed, every screen is laid out anew
    // at once, the camera running on. The size is remembered for the next start.
    void setScreenSize(Size points, double pixelRatio = 1);
    const ScreenLayout& screenLayout() const { return layout_; }
    // The size the window opens at on a screen with `available` points:
    // the one it had when last closed, else kDefaultWindowSize, no larger
    // than the screen and no smaller than kSmallestWindowSize.
    Size startingWindowSize(Size available);
    static constexpr Size kDefaultWindowSize{400, 600};
    static constexpr Size kSmallestWindowSize{240, 360};
    // The next shooting mode in the settings screen's order, on the camera.
    void nextMode();
    void openAlbum();
    void closeAlbum();
    bool albumShown() const { return albumShown_; }
    // The application leaves the foreground: the settings are saved.
    void resignActive() { delegate_.applicationWillResignActive(); }
    // The application ends (its window closed, or a quit signal): the
    // settings are saved at once; then the photos on their way are let
    // through: a capture in flight, a picture being processed, or a reviewed
    // photo whose automatic save has not started yet, each with auto-save on,
    // is let settle on the run loop until its save is queued,
    // and the saver workers are drained, their completions run. Then the quit
    // handler is called. All of it is bounded by kQuitBound, and a second
    // terminate() while waiting quits at once.
    void terminate();
    // What ends the run loop once terminate() is done (the window's shell).
    void setQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }
    bool quitting() const { return quitting_; }
    // Photos queued or being saved, plus those in flight not yet handed over.
    std::size_t photosOnTheirWay() const;
    static constexpr RunLoop::Duration kQuitBound = RunLoop::seconds(10);
    static constexpr RunLoop::Duration kQuitPoll = RunLoop::seconds(0.05);

    AppSettings& settings() { return settings_; }
    RunLoop& loop() { return *loop_; }
    WorkerQueue& photoWorker() { return photoWorker_; }
    WorkerQueue& ownStoreWorker() { return ownStoreWorker_; }
    WorkerQueue& cameraRollWorker() { return cameraRollWorker_; }
    CameraControllerHelper& camera() { return *cameraHelper_; }
    CameraViewManager& cameraViews() { return views_; }
    CameraRootController& root() { return *root_; }
    SettingsController& settingsScreen() { return *settingsScreen_; }
    NavigationController& settingsNavigation() { return *settingsNavigation_; }
    CameraRollPicker& album() { return *album_; }
    NavigationController& albumNavigation() { return *albumNavigation_; }
    std::shared_ptr<CameraRoll> cameraRoll() const { return roll_; }
    DevicePosition& devicePosition() { return position_; }
    DeviceLocation& location() { return *location_; }
    const std::string& cameraRollRoot() const { return rollRoot_; }

private:
    void flip(const void* sender);
    void keepScreenOn(bool on);
    void layOut(const ScreenLayout& layout);
    // The upright shape of the camera's frames the screen is laid out for;
    // none before the first frame.
    Size frameShape();
    static constexpr float kSameShape = 0.01f;
    // Quitting: whether the photos in flight have all reached the saver.
    bool photoSettled() const;
    bool savesDrained() const;
    void checkQuit();
    void finishQuit();

    RunLoop* loop_;
    CameraPicker* picker_;
    AppSettings settings_;
    KestrelAppDelegate delegate_;
    NotificationCenter& center_;
    DevicePosition position_;
    std::unique_ptr<DeviceLocation> location_;
    AnimationBlock animation_;
    std::string rollRoot_;
    // Before everything that saves through them; shut down first of all,
    // the photo worker (whose pictures go on to the savers) before the others.
    WorkerQueue photoWorker_;
    WorkerQueue ownStoreWorker_;
    WorkerQueue cameraRollWorker_;
    DcimPhotoAlbum photoAlbum_;
    GpsImageSaver saver_;
    CameraViewManager views_;
    std::unique_ptr<CameraControllerHelper> cameraHelper_;
    std::shared_ptr<CameraRoll> roll_;
    std::shared_ptr<SettingsController> settingsScreen_;
    std::shared_ptr<NavigationController> settingsNavigation_;
    std::shared_ptr<CameraRollPicker> album_;
    std::shared_ptr<NavigationController> albumNavigation_;
    std::unique_ptr<CameraRootController> root_;
    NotificationCenter::ObserverId flipObserver_ = 0;
    bool albumShown_ = false;
    IdleTimer* idleTimer_ = nullptr;
    ScreenLayout layout_;
    Size frameShape_;
    bool laidOut_ = false;  // the screens keep the phone screen's frames until told a size

    std::function<void()> quitHandler_;
    Timer quitTimer_;
    RunLoop::Duration quitDeadline_{};
    bool quitting_ = false;
    bool quitDone_ = false;
};

}  // namespace kestrel
