#pragma once

#include "core/about/AppInfo.h"
#include "core/app/AppSettings.h"
#include "core/app/KestrelAppDelegate.h"
#include "core/camera/CameraControllerHelper.h"
#include "core/camera/CameraPicker.h"
#include "core/camera/CameraRootController.h"
#include "core/camera/CameraViewManager.h"
#include "core/library/CameraRollPicker.h"
#include "core/platform/Accelerometer.h"
#include "core/platform/AudioUnit.h"
#include "core/platform/ContactPicker.h"
#include "core/platform/IdleTimer.h"
#include "core/platform/LocationManager.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/RunLoop.h"
#include "core/platform/SystemSounds.h"
#include "core/platform/UrlOpener.h"
#include "core/sensors/DevicePosition.h"
#include "core/settingsui/SettingsController.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/store/DeviceLocation.h"
#include "core/ui/AnimationBlock.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// The whole application without its window: every screen and the services
// behind them, built from the platform's ports, as start-up builds them.
// The camera shows first; the toolbar's album button opens the album over
// it and the settings button the settings; "Flip" from the album, the
// viewer, the settings or About takes the user back to the camera.
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
    };

    KestrelApp(Ports ports, Options options);
    ~KestrelApp();
    KestrelApp(const KestrelApp&) = delete;
    KestrelApp& operator=(const KestrelApp&) = delete;

    // Start-up: the delegate's sequence, then the camera shown.
    void start();
    // The screen on top now (what the window shows).
    ViewController& topController() { return root_->topController(); }
    // The next shooting mode in the settings screen's order, on the camera.
    void nextMode();
    void openAlbum();
    void closeAlbum();
    bool albumShown() const { return albumShown_; }
    // The application leaves the foreground or ends: the settings are saved.
    void resignActive() { delegate_.applicationWillResignActive(); }
    void terminate() { delegate_.applicationWillTerminate(); }

    AppSettings& settings() { return settings_; }
    RunLoop& loop() { return *loop_; }
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

    RunLoop* loop_;
    AppSettings settings_;
    KestrelAppDelegate delegate_;
    NotificationCenter& center_;
    DevicePosition position_;
    std::unique_ptr<DeviceLocation> location_;
    AnimationBlock animation_;
    std::string rollRoot_;
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
};

}  // namespace kestrel
