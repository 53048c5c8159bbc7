#include "core/app/KestrelApp.h"

#include "core/about/AboutController.h"
#include "core/library/CameraRollViewer.h"
#include "core/platform/SystemUtils.h"
#include "core/store/AppleCameraRoll.h"
#include "core/store/DirectoryUtils.h"

namespace kestrel {
namespace {

// Links go nowhere when the platform cannot open them.
class NoUrls final : public UrlOpener {
public:
    bool openUrl(const std::string&) override { return false; }
};

}  // namespace

KestrelApp::KestrelApp(Ports ports, Options options)
    : loop_(&ports.loop),
      settings_(options.configDir),
      center_(NotificationCenter::defaultCenter()),
      position_(ports.accelerometer, ports.loop, center_),
      location_(std::make_unique<DeviceLocation>(settings_.store(), std::move(ports.location),
                                                 ports.loop, center_)),
      animation_(&ports.loop),
      rollRoot_(DirectoryUtils::getCameraRollFolder(options.dcim)),
      photoAlbum_(rollRoot_, ports.loop),
      saver_(photoAlbum_, rollRoot_, ports.loop,
             std::shared_ptr<const LocationSource>(location_.get(), [](const LocationSource*) {})) {
    delegate_.setData(&settings_.record());
    delegate_.setDevicePosition(&position_);
    delegate_.setIdleTimer(ports.idleTimer);
    DirectoryUtils::ensureFolderExist(rollRoot_);

    cameraHelper_ = std::make_unique<CameraControllerHelper>(CameraControllerHelper::Services{
        ports.camera, views_, ports.loop, ports.sounds, saver_, center_, options.resources,
        [this] { return location_->currentLocation(); }, [this] { return position_.orientation(); },
        ports.audio});
    if (options.store) {
        roll_ = std::make_shared<CameraRoll>(*options.store);
        cameraHelper_->setCameraRoll(roll_);
    } else {
        roll_ = std::make_shared<AppleCameraRoll>(rollRoot_);
    }

    static NoUrls noUrls;
    UrlOpener* urls = ports.urls ? ports.urls : &noUrls;
    ContactPicker* contacts = ports.contacts;
    const AppIdentity identity = options.identity;
    const std::string apps = (options.resources / "Apps").string();
    settingsScreen_ = std::make_shared<SettingsController>(
        SystemUtils::current(), [identity, urls, contacts, apps] {
            return std::make_shared<AboutController>(identity, *urls, contacts, apps);
        });
    settingsNavigation_ = std::make_shared<NavigationController>(settingsScreen_);

    RunLoop* loop = &ports.loop;
    album_ = std::make_shared<CameraRollPicker>(
        ports.loop, [loop] { return std::make_shared<CameraRollViewer>(*loop); },
        [this] { return roll_; });
    albumNavigation_ = std::make_shared<NavigationController>(album_);

    root_ = std::make_unique<CameraRootController>(*cameraHelper_, settingsNavigation_,
                                                   SystemUtils::current(), ports.loop);
    views_.toolBar->albumButton().setAction([this](Button&) { openAlbum(); });
    // The screen stays on while the camera is shown, not while the user reads the settings.
    idleTimer_ = ports.idleTimer;
    cameraHelper_->setSettingsAction([this] {
        keepScreenOn(false);
        root_->settings();
    });
    flipObserver_ =
        center_.addObserver("Flip", [this](const Notification& note) { flip(note.sender); });
}

KestrelApp::~KestrelApp() {
    center_.removeObserver(flipObserver_);
    delegate_.applicationWillTerminate();
}

void KestrelApp::start() {
    delegate_.setShowWindow([this] {
        root_->viewWillAppear(false);
        root_->viewDidAppear(false);
    });
    delegate_.applicationDidFinishLaunching();
}

void KestrelApp::nextMode() {
    if (&topController() != &root_->cameraScreen()) return;
    Camera1Data& record = settings_.record();
    const auto& buttons = SettingsController::kModeButtons;
    std::size_t next = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].mode == record.mode()) next = (i + 1) % buttons.size();
    record.setMode(buttons[next].mode);
    cameraHelper_->reset();
    // As after a change in the settings, the new mode's icon says which it is.
    cameraHelper_->showModeIndicator();
}

void KestrelApp::openAlbum() {
    if (albumShown_) return;
    album_->setCameraRoll(roll_);
    album_->findFiles();
    cameraHelper_->hideCamera();
    keepScreenOn(false);
    albumShown_ = true;
    root_->cameraScreen().presentModalViewController(albumNavigation_, true);
}

void KestrelApp::closeAlbum() {
    if (!albumShown_) return;
    albumShown_ = false;
    while (albumNavigation_->depth() > 1)
        albumNavigation_->popViewController(false);
    root_->cameraScreen().dismissModalViewController(true);
    cameraHelper_->reset();
    cameraHelper_->showCamera();
}

void KestrelApp::flip(const void*) {
    // Whatever was closed, the camera comes back.
    if (albumShown_)
        closeAlbum();
    else
        root_->doneSettings();
    keepScreenOn(true);
}

void KestrelApp::keepScreenOn(bool on) {
    if (idleTimer_) idleTimer_->setIdleTimerDisabled(on);
    location_->setActive(on);  // the position is kept fresh while the camera is shown
}

}  // namespace kestrel
