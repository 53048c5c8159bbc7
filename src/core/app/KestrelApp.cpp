#include "core/app/KestrelApp.h"

#include "core/about/AboutController.h"
#include "core/library/CameraRollViewer.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/Log.h"
#include "core/platform/SystemUtils.h"
#include "core/store/AppleCameraRoll.h"
#include "core/store/DirectoryUtils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace kestrel {
namespace {

// The window's size, kept with the settings between runs.
constexpr const char* kWindowWidthKey = "WindowWidth";
constexpr const char* kWindowHeightKey = "WindowHeight";

// Links go nowhere when the platform cannot open them.
class NoUrls final : public UrlOpener {
public:
    bool openUrl(const std::string&) override { return false; }
};

}  // namespace

KestrelApp::KestrelApp(Ports ports, Options options)
    : loop_(&ports.loop),
      picker_(&ports.camera),
      settings_(options.configDir),
      center_(NotificationCenter::defaultCenter()),
      position_(ports.accelerometer, ports.loop, center_),
      location_(std::make_unique<DeviceLocation>(settings_.store(), std::move(ports.location),
                                                 ports.loop, center_)),
      animation_(&ports.loop),
      rollRoot_(DirectoryUtils::getCameraRollFolder(options.dcim)),
      photoWorker_("photo processing", ports.loop, options.saveGate),
      ownStoreWorker_("own store", ports.loop, options.saveGate),
      cameraRollWorker_("camera roll", ports.loop, options.saveGate),
      photoAlbum_(rollRoot_, ports.loop, cameraRollWorker_),
      saver_(photoAlbum_, rollRoot_, ports.loop,
             std::shared_ptr<const LocationSource>(location_.get(), [](const LocationSource*) {}),
             ownStoreWorker_),
      quitTimer_(ports.loop) {
    // A first start is in Stabilizing on every device: without an
    // accelerometer (a laptop) it tells stillness from the camera's picture.
    // A mode kept from an installation that had its face finder falls back.
    ModeOffer::fallBack(settings_.record());
    delegate_.setData(&settings_.record());
    delegate_.saveOnChange(ports.loop);
    delegate_.setDevicePosition(&position_);
    delegate_.setIdleTimer(ports.idleTimer);
    DirectoryUtils::ensureFolderExist(rollRoot_);

    cameraHelper_ = std::make_unique<CameraControllerHelper>(CameraControllerHelper::Services{
        ports.camera, views_, ports.loop, ports.sounds, saver_, center_, options.resources,
        [this] { return location_->currentLocation(); }, [this] { return position_.orientation(); },
        ports.audio, [this] { return position_.hasAccelerometer(); }, &photoWorker_});
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
    const SystemUtils& system = options.system ? *options.system : SystemUtils::current();
    settingsScreen_ = std::make_shared<SettingsController>(
        system, [identity, urls, contacts, apps] {
            return std::make_shared<AboutController>(identity, *urls, contacts, apps);
        });
    settingsNavigation_ = std::make_shared<NavigationController>(settingsScreen_);

    RunLoop* loop = &ports.loop;
    album_ = std::make_shared<CameraRollPicker>(
        ports.loop, [loop] { return std::make_shared<CameraRollViewer>(*loop); },
        [this] { return roll_; });
    albumNavigation_ = std::make_shared<NavigationController>(album_);

    root_ = std::make_unique<CameraRootController>(*cameraHelper_, settingsNavigation_,
                                                   system, ports.loop);
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
    // The workers end before anything their jobs or completions touch goes; a
    // quit that already waited its bound does not wait a second time.
    auto bound = std::chrono::duration_cast<std::chrono::milliseconds>(kQuitBound);
    if (quitting_)
        bound = std::max(std::chrono::milliseconds(0),
                         std::chrono::duration_cast<std::chrono::milliseconds>(quitDeadline_ - loop_->now()));
    photoWorker_.shutdown(bound);
    ownStoreWorker_.shutdown(bound);
    cameraRollWorker_.shutdown(bound);
}

void KestrelApp::terminate() {
    delegate_.applicationWillTerminate();  // the settings first: nothing else is as quick
    if (quitting_) {
        if (!quitDone_) {
            Log::warning("quitting now, without waiting for the photos being saved");
            finishQuit();
        }
        return;
    }
    quitting_ = true;
    quitDeadline_ = loop_->now() + kQuitBound;
    cameraHelper_->quitting();
    if (const std::size_t photos = photosOnTheirWay())
        Log::info("waiting for " + std::to_string(photos) + (photos == 1 ? " photo" : " photos") +
                  " to be saved\u2026");
    checkQuit();
}

std::size_t KestrelApp::photosOnTheirWay() const {
    std::size_t photos = ownStoreWorker_.pending() + cameraRollWorker_.pending() +
                         cameraHelper_->photosBeforeTheStore();
    if (photos == 0 && cameraHelper_->isSaving()) photos = 1;  // its completion is still to run
    return photos;
}

bool KestrelApp::photoSettled() const {
    // A picture under review without auto-save waits for Use: quitting drops it.
    return cameraHelper_->photosBeforeTheStore() == 0;
}

bool KestrelApp::savesDrained() const {
    return ownStoreWorker_.idle() && cameraRollWorker_.idle() && !cameraHelper_->isSaving();
}

void KestrelApp::checkQuit() {
    if (photoSettled() && savesDrained()) {
        finishQuit();
        return;
    }
    if (loop_->now() >= quitDeadline_) {
        Log::error("quitting with " + std::to_string(photosOnTheirWay()) +
                   " photo(s) still on their way: they took longer than " +
                   std::to_string(static_cast<int>(RunLoop::toSeconds(kQuitBound))) + " s");
        finishQuit();
        return;
    }
    quitTimer_.start(kQuitPoll, [this] { checkQuit(); });
}

void KestrelApp::finishQuit() {
    quitTimer_.stop();
    quitDone_ = true;
    if (quitHandler_) quitHandler_();
}

void KestrelApp::start() {
    delegate_.setShowWindow([this] {
        root_->viewWillAppear(false);
        root_->viewDidAppear(false);
    });
    delegate_.applicationDidFinishLaunching();
}

void KestrelApp::setScreenSize(Size points, double pixelRatio) {
    const ScreenLayout layout(points, frameShape(), pixelRatio);
    if (laidOut_ && layout == layout_) return;
    if (!laidOut_ || !(layout.screen() == layout_.screen())) {
        PreferenceStore& store = settings_.store();
        store.setInteger(static_cast<std::int32_t>(std::lround(points.width)), kWindowWidthKey);
        store.setInteger(static_cast<std::int32_t>(std::lround(points.height)), kWindowHeightKey);
    }
    layOut(layout);
}

void KestrelApp::layOut(const ScreenLayout& layout) {
    layout_ = layout;
    laidOut_ = true;
    root_->view().setFrame(layout.screenRect());
    cameraHelper_->setLayout(layout);
    settingsNavigation_->layOut(layout);
    albumNavigation_->layOut(layout);
}

Size KestrelApp::frameShape() {
    const Size size = picker_->previewShape();
    if (size.width <= 0 || size.height <= 0) return frameShape_;
    // A camera that scales its frames to the live view rounds their sides:
    // a shape within a hair of the one the picture was laid out for is that
    // shape, or the picture would move by a fraction of a point at every frame.
    const bool known = frameShape_.width > 0 && frameShape_.height > 0;
    if (known && std::abs(size.width / size.height - frameShape_.width / frameShape_.height) <
                     kSameShape * (frameShape_.width / frameShape_.height))
        return frameShape_;
    frameShape_ = size;
    return frameShape_;
}

Size KestrelApp::startingWindowSize(Size available) {
    const PreferenceStore& store = settings_.store();
    Size size{static_cast<float>(store.integerForKey(kWindowWidthKey)),
              static_cast<float>(store.integerForKey(kWindowHeightKey))};
    if (size.width <= 0 || size.height <= 0) size = kDefaultWindowSize;
    // A window that was on a larger screen fits this one; a tiny one grows.
    auto clamp = [](float value, float least, float most) {
        return std::max(least, std::min(value, std::max(least, most)));
    };
    return Size{clamp(size.width, kSmallestWindowSize.width, available.width),
                clamp(size.height, kSmallestWindowSize.height, available.height)};
}

void KestrelApp::nextMode() {
    if (&topController() != &root_->cameraScreen()) return;
    Camera1Data& record = settings_.record();
    const auto& buttons = SettingsController::kModeButtons;
    std::size_t next = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].mode == record.mode()) next = (i + 1) % buttons.size();
    // A mode this installation does not offer (Faces without its finder) is passed over.
    while (!ModeOffer::offered(buttons[next].mode)) next = (next + 1) % buttons.size();
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
