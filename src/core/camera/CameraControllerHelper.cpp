#include "core/camera/CameraControllerHelper.h"

#include "core/exif/PhotoOrigin.h"
#include "core/imaging/ImageUtils.h"
#include "core/platform/Log.h"
#include "core/sensors/DevicePosition.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/AnimationBlock.h"

#include <utility>

namespace kestrel {
namespace {

constexpr int kPlainAnimation = 1;

template <class Change>
void animated(View* view, bool wanted, int type, Change change,
              std::function<void()> didStop = nullptr) {
    AnimationBlock::animate(view, wanted, type, change, std::move(didStop));
}

}  // namespace

CameraControllerHelper::CameraControllerHelper(Services s)
    : picker_(&s.picker),
      views_(&s.views),
      loop_(&s.loop),
      sounds_(&s.sounds),
      saver_(&s.saver),
      notifications_(&s.notifications),
      resources_(std::move(s.resources)),
      currentLocation_(std::move(s.currentLocation)),
      hasAccelerometer_(std::move(s.hasAccelerometer)),
      modeIndicatorTimer_(s.loop),
      cues_(s.sounds, resources_),
      container_(std::make_shared<View>(Rect{0, 0, 320, 480})),
      cameraButton_(std::make_shared<Button>(Rect{250, 10, 60, 34})),
      flashButton_(std::make_shared<Button>(Rect{10, 10, 60, 34})),
      session_(s.loop, s.photoWorker),
      moment_(s.loop, *picker_),
      turning_(s.picker, s.views, layout_, std::move(s.deviceOrientation)),
      zoom_(s.picker, *s.views.zoomView, [this] { return turning_.controlOrientation(); }) {
    audio_ = s.audio;
    orientationObserver_ = notifications_->addObserver(
        DevicePosition::kChangeOrientation, [this](const Notification&) { rotate(true); });
    cameraButton_->setAction([this](Button&) { camera(); });
    flashButton_->setAction([this](Button&) { flash(); });
    CameraToolbar& bar = *views_->toolBar;
    bar.shutterButton().setAction([this](Button&) { shutter(); });
    bar.useButton().setAction([this](Button&) { use(); });
    bar.retakeButton().setAction([this](Button&) { retake(); });
    bar.cancelButton().setAction([this](Button&) { cancel(); });
    views_->overlay->setHelper(this);
    views_->overlay->setFrameShape([picker = picker_] { return picker->previewShape(); });
    session_.setFirstPhotoObserver(
        [this](const CaptureSession::Processed& result) { firstPhotoProcessed(result); });
    session_.setShownObserver([this] { pictureShown(); });
    session_.setTraceObserver([this](const std::string& event) { trace(event); });
}

CameraControllerHelper::~CameraControllerHelper() {
    if (views_->overlay->helper() == this) {
        views_->overlay->setHelper(nullptr);
        views_->overlay->setFrameShape(nullptr);
    }
    notifications_->removeObserver(orientationObserver_);
    handler_.reset();
}

void CameraControllerHelper::setLayout(const ScreenLayout& layout) {
    layout_ = layout;
    container_->setFrame(layout.screenRect());
    views_->layOut(layout);
    flashButton_->setFrame(layout.flashButton());
    cameraButton_->setFrame(layout.cameraSwitchButton());
    turning_.layoutChanged();
}

void CameraControllerHelper::setSettingsAction(std::function<void()> action) {
    views_->toolBar->settingsButton().setAction([action = std::move(action)](Button&) {
        if (action) action();
    });
}

void CameraControllerHelper::showCamera() {
    hidden_ = false;
    setup();
    setToolbarButtonsEnabled(true);
    views_->overlay->setBackgroundColor(std::nullopt);
    // The icon of the handler in charge before the reset below.
    showModeIcon(handler_ ? handler_->getModeImage() : std::nullopt);
    views_->overlay->setNeedsDisplay();
    reset();
    if (handler_) handler_->ready();
    std::weak_ptr<int> alive = alive_;
    loop_->schedule(RunLoop::seconds(2.0), [this, alive] {
        if (alive.lock()) applyZoom();
    });
    cameraDidShow();
}

void CameraControllerHelper::hideCamera() {
    cameraWillHide();
    // A picture still on its way is finished by its mode when it comes.
    if (!session_.isCapturing() && !isProcessing()) handler_.reset();
    container_->removeFromSuperview();
}

void CameraControllerHelper::cameraWillHide() {
    if (hidden_) return;
    hidden_ = true;
    zoom_.forgetDrag();
    if (!handler_) return;
    // Nothing restarts behind the other screen; a running phase stops as a press stops it.
    handler_->setAutoStart(false);
    if (handler_->state() == CameraHandler::kDelay || handler_->state() == CameraHandler::kSensing)
        handler_->shutter();
    updateMoment();
    trace("camera hidden");
}

void CameraControllerHelper::cameraDidShow() {
    hidden_ = false;
    if (!image()) return;
    // A picture that was reviewed (or came while the camera was away) is not dropped.
    presentReview();
    if (saving_) {
        showSaving();
    } else if (session_.shownAutoSaves()) {
        std::weak_ptr<int> alive = alive_;
        loop_->post([this, alive] {
            if (alive.lock() && !hidden_) save();
        });
    } else {
        views_->toolBar->scrollToReview(false);
    }
    trace("review shown again");
}

void CameraControllerHelper::showModeIndicator() {
    showModeIcon(handler_ ? handler_->getModeImage() : std::nullopt);
}

void CameraControllerHelper::showModeIcon(const std::optional<std::string>& icon) {
    views_->modeImage->setImageName(icon.value_or(""));
    views_->modeImage->setAlpha(1);
    modeIndicatorTimer_.start(RunLoop::seconds(3.0), [this] { hideModeIndicator(); });
}

void CameraControllerHelper::showSaving() {
    noticeShown_ = false;
    views_->saveLabel->setText("Saving to Camera Roll...");
    views_->saveLabel->setHidden(false);
    setToolbarButtonsEnabled(false);
}

void CameraControllerHelper::setButton(Button& button, const std::string& image) {
    for (Button::State state :
         {Button::kNormal, Button::kHighlighted, Button::kDisabled, Button::kSelected})
        button.setImage(image, state);
}

void CameraControllerHelper::setup() {
    if (!picker_->isSourceAvailable()) {
        showNoCamera();
        return;
    }
    CameraViewManager& v = *views_;
    const std::shared_ptr<View> stack[] = {v.overlay,    v.modeImage,     v.timerLabel, v.zoomView,
                                           v.sensorView, v.saveImageView, v.saveLabel,  v.toolBar};
    for (const auto& view : stack)
        view->removeFromSuperview();
    v.saveImageView->setHidden(true);
    v.saveLabel->setHidden(true);
    for (const auto& view : stack) {
        container_->addSubview(view);
        container_->bringSubviewToFront(view.get());
    }
    container_->addSubview(cameraButton_);
    container_->addSubview(flashButton_);
    v.toolBar->scrollToPreview(false);
    v.overlay->setShowBorder(true);
    v.overlay->setShowGrid(true);
    setupHardware();
}

void CameraControllerHelper::setupHardware() {
    if (picker_->isCameraDeviceAvailable(CameraPicker::Device::kRear) &&
        picker_->isCameraDeviceAvailable(CameraPicker::Device::kFront)) {
        cameraButton_->setHidden(false);
        refreshCamera();
    } else {
        cameraButton_->setHidden(true);
        flashButton_->setHidden(true);
        turning_.turnPreview();  // the one camera there is
    }
}

void CameraControllerHelper::refreshCamera() {
    const Camera1Data* settings = Camera1Data::data();
    const bool front = settings && settings->camera() != 0;
    picker_->setCameraDevice(front ? CameraPicker::Device::kFront : CameraPicker::Device::kRear);
    setButton(*cameraButton_, front ? "turn2.png" : "turn1.png");
    turning_.turnPreview();
    if (picker_->isFlashAvailable(picker_->cameraDevice())) {
        flashButton_->setHidden(false);
        refreshFlash();
    } else {
        flashButton_->setHidden(true);
    }
}

void CameraControllerHelper::refreshFlash() {
    const Camera1Data* settings = Camera1Data::data();
    switch (settings ? settings->flash() : 0) {
        case 0:
            picker_->setFlashMode(CameraPicker::FlashMode::kOff);
            setButton(*flashButton_, "flash_off.png");
            break;
        case 1:
            picker_->setFlashMode(CameraPicker::FlashMode::kOn);
            setButton(*flashButton_, "flash_on.png");
            break;
        case 2:
            picker_->setFlashMode(CameraPicker::FlashMode::kAuto);
            setButton(*flashButton_, "flash_auto.png");
            break;
        default:
            break;
    }
}

void CameraControllerHelper::camera() {
    if (Camera1Data* settings = Camera1Data::data())
        settings->setCamera(settings->camera() == 1 ? 0 : 1);
    refreshCamera();
    // The other camera starts in the background; the screen is set up again
    // when it comes (the camera tells its availability).
    if (picker_->isStarting()) showNoCamera();
    updateMoment();
}

void CameraControllerHelper::flash() {
    if (Camera1Data* settings = Camera1Data::data()) {
        // off → automatic → on → off
        const int next = settings->flash() == 0 ? 2 : settings->flash() == 2 ? 1 : 0;
        settings->setFlash(next);
    }
    refreshFlash();
    updateMoment();  // frames kept without the flash are no use with it
}

void CameraControllerHelper::reset() {
    if (handler_) {
        handler_->stopDelay();
        handler_->stopSensing();
    }
    const Camera1Data* settings = Camera1Data::data();
    if (auto next = ModeOffer::handlerFor(settings ? settings->mode() : -1))
        handler_ = std::move(next);
    if (handler_) {
        handler_->setController(this);
        handler_->ready();
    }
    showModeNotice();
    updateMoment();
}

void CameraControllerHelper::showModeNotice() {
    Label& label = *views_->saveLabel;
    if (noticeShown_) {
        label.setHidden(true);
        noticeShown_ = false;
    }
    const std::optional<std::string> reason =
        handler_ ? handler_->unavailableReason() : std::nullopt;
    if (!reason || image()) return;
    label.setText(*reason);
    label.setHidden(false);
    noticeShown_ = true;
}

void CameraControllerHelper::showNoCamera() {
    // The toolbar stays, so that the settings and the album can still be reached.
    CameraViewManager& v = *views_;
    for (const auto& view :
         {std::shared_ptr<View>(v.saveLabel), std::shared_ptr<View>(v.toolBar)}) {
        view->removeFromSuperview();
        container_->addSubview(view);
    }
    noticeShown_ = false;
    // A camera on its way is not a missing one: the window goes on meanwhile.
    const bool starting = picker_->isStarting();
    v.saveLabel->setText(starting ? "Starting camera\u2026" : "No camera found");
    v.saveLabel->setHidden(false);
    v.toolBar->shutterButton().setEnabled(false);
    trace(starting ? "camera starting" : "no camera");
}

void CameraControllerHelper::shutter() {
    // One press, one picture: not while one is on its way, processed, reviewed or saved.
    if (!isLive() || hidden_ || !handler_ || !picker_->isSourceAvailable()) return;
    handler_->shutter();
}

void CameraControllerHelper::photo(bool finalPhoto) {
    const std::optional<RunLoop::Duration> event = handler_ ? handler_->takeEventTime() : std::nullopt;
    if (hidden_ || !session_.mayRequest(finalPhoto)) return;
    // What the picture becomes is fixed now, with the settings of the press.
    CameraHandler::Recipe recipe;
    if (handler_)
        recipe = finalPhoto ? handler_->finalRecipe(zoom()) : handler_->firstRecipe(zoom());
    // Why it is taken, as the mode tells it now (the level heard, the count).
    std::string reason = handler_ && finalPhoto ? handler_->reason() : std::string("shutter");
    session_.setShownPixels(turning_.reviewPixels());
    session_.requested(finalPhoto, std::move(recipe), Camera1Data::effective().autoSave(), std::move(reason));
    captureOrientation_ = photoOrientation();
    trace(finalPhoto ? "picture requested" : "picture requested (not final)");
    // Which frame: the next one, or one the camera kept (the frames of a
    // series' cells and first exposures are always the next).
    const MomentCapture::Plan plan =
        finalPhoto ? moment_.plan(momentOptions(), event) : MomentCapture::Plan{};
    const RunLoop::Duration decided = loop_->now();
    stillPending_ = true;
    std::weak_ptr<int> alive = alive_;
    auto take = [this, alive, plan, decided] {
        if (!alive.lock()) return;
        picker_->takeStill(plan.choice, [this, alive, plan, decided](
                                            const Image& picture,
                                            std::optional<RunLoop::Duration> frameTime) {
            if (!alive.lock()) return;
            stillPending_ = false;
            const Size size = picture.size();
            trace("picture received " + std::to_string(static_cast<int>(size.width)) + "x" +
                  std::to_string(static_cast<int>(size.height)));
            if (plan.choice.rule != CameraPicker::StillChoice::Rule::kNext)
                trace(MomentCapture::describe(plan, decided, frameTime));
            // The still's moment: its frame's time where the camera tells it,
            // else when the camera's answer comes.
            pictureTaken(picture ? picture.withOrientation(captureOrientation_) : picture,
                         frameTime.value_or(loop_->now()));
            updateMoment();
        });
    };
    // The sharpest frame of a window is chosen once the window has passed.
    if (plan.wait > RunLoop::Duration::zero()) loop_->schedule(plan.wait, take);
    else take();
}

MomentCapture::Options CameraControllerHelper::momentOptions() const {
    const EffectiveSettings settings = Camera1Data::effective();
    MomentCapture::Options options;
    options.catchTheMoment = settings.catchTheMoment();
    options.pickTheSharpest = settings.pickTheSharpest();
    // Only a flash set to fire: with the automatic flash the moment counts
    // for more than a flash the camera might have chosen.
    options.flash = picker_->flashMode() == CameraPicker::FlashMode::kOn &&
                    picker_->isFlashAvailable(picker_->cameraDevice());
    return options;
}

void CameraControllerHelper::updateMoment() {
    // Standard mode takes a press at any time: its frames are kept all along.
    const bool pressAtOnce = Camera1Data::effective().mode() == Camera1Data::kStandard;
    const bool waiting = !hidden_ && isLive() && handler_ && picker_->isSourceAvailable() &&
                         (handler_->state() != CameraHandler::kIdle || handler_->photoDue() || pressAtOnce);
    moment_.update(momentOptions(), stillPending_ || waiting);
}

void CameraControllerHelper::pictureTaken(const Image& picture, RunLoop::Duration capturedAt) {
    if (!session_.arrived(picture, capturedAt)) {
        if (picture) return;  // not asked for
        // The camera failed or went away: no series left running, and back
        // to the live view unless a picture is shown.
        Log::warning("camera: no picture came");
        trace("picture failed");
        if (handler_) handler_->setAutoStart(false);
        if (isLive()) restart(false);
        if (!picker_->isSourceAvailable()) showNoCamera();
        return;
    }
    const EffectiveSettings settings = Camera1Data::effective();
    if (settings.vibrateAlert()) sounds_->vibrate();
    cues_.play(SoundCues::kShot);
}

void CameraControllerHelper::firstPhotoProcessed(const CaptureSession::Processed& result) {
    ghost_ = result;
    if (!handler_) return;
    handler_->keepFirstPhoto(result.full);
    handler_->ready();
}

void CameraControllerHelper::quitting() {
    quitting_ = true;
    if (hidden_ && session_.shownAutoSaves()) save();
}

void CameraControllerHelper::pictureShown() {
    presentReview();
    if (hidden_ && quitting_ && session_.shownAutoSaves()) return save();
    if (hidden_) return;  // kept, and shown again when the camera is back
    if (session_.shownAutoSaves()) {
        std::weak_ptr<int> alive = alive_;
        loop_->post([this, alive] {
            if (alive.lock() && !hidden_) save();
        });
    } else {
        views_->toolBar->scrollToReview(true);
    }
}

void CameraControllerHelper::presentReview() {
    ImageView& review = *views_->saveImageView;
    review.setBackgroundColor(Color{0, 0, 0, 1});
    review.setHidden(false);
    review.setAlpha(1);
    if (review.superview()) review.superview()->bringSubviewToFront(&review);
    review.setImage(session_.shown());
    rotate(false);
    views_->overlay->setShowBorder(false);
    views_->overlay->setShowGrid(false);
    views_->overlay->setBackgroundColor(Color{0, 0, 0, 1});
}

void CameraControllerHelper::setToolbarButtonsEnabled(bool enabled) {
    CameraToolbar& bar = *views_->toolBar;
    for (Button* button :
         {&bar.retakeButton(), &bar.useButton(), static_cast<Button*>(&bar.shutterButton()),
          &bar.albumButton(), &bar.settingsButton()})
        button->setEnabled(enabled);
    // Without a camera there is nothing to shoot with.
    if (!picker_->isSourceAvailable()) bar.shutterButton().setEnabled(false);
}

void CameraControllerHelper::save() {
    if (session_.state() != CaptureSession::State::kReviewing || saving_) return;
    showSaving();
    const auto position = currentLocation_ ? currentLocation_() : std::nullopt;
    std::weak_ptr<int> alive = alive_;
    saving_ = true;
    session_.saveStarted();
    // The moment of the shot on the wall clock, now (a loop on virtual time
    // answers its own day's).
    const PhotoOrigin origin{session_.shownReason(), loop_->wallTime(session_.shownCapturedAt())};
    saver_->saveImage(image(), position, cameraRoll_, origin,
                      [this, alive](const std::optional<std::string>& path) {
                          if (!alive.lock()) return;
                          saving_ = false;
                          trace(path ? "saved " + *path : std::string("save failed"));
                          if (path) cues_.play(SoundCues::kSaved);
                          if (saveObserver_) saveObserver_(path);
                          // The next picture waiting is shown and saved; the
                          // live view comes back after the last one.
                          if (!session_.saveFinished()) afterSave();
                      });
}

void CameraControllerHelper::afterSave() {
    setToolbarButtonsEnabled(true);
    views_->saveLabel->setHidden(true);
    if (handler_) handler_->reset();
    animateSave();
}

void CameraControllerHelper::animateSave() {
    ImageView& review = *views_->saveImageView;
    const bool autoSave = session_.shownAutoSaves();
    session_.returning();
    std::weak_ptr<int> alive = alive_;
    auto finished = [this, alive] {
        if (!alive.lock()) return;
        ImageView& picture = *views_->saveImageView;
        picture.setImage(Image());
        picture.setHidden(true);
        picture.setTransform(View::Transform{0, 0, 0});
        restart(false);
    };
    animated(
        &review, true, kPlainAnimation,
        [&] {
            review.setCenter(layout_.saveTarget(autoSave));
            review.setBackgroundColor(std::nullopt);
            review.setTransform(View::Transform::scaled(0.1));
            review.setAlpha(0);
            views_->overlay->setBackgroundColor(std::nullopt);
        },
        finished);
}

void CameraControllerHelper::restart(bool) {
    if (session_.state() == CaptureSession::State::kReturning) session_.returned();
    else session_.retaken();
    if (!isLive() && image()) return;  // a picture that waited is shown now
    views_->overlay->setShowBorder(true);
    views_->overlay->setShowGrid(true);
    views_->overlay->setBackgroundColor(std::nullopt);
    views_->saveLabel->setHidden(true);
    noticeShown_ = false;
    showModeNotice();
    views_->toolBar->scrollToPreview(true);
    std::weak_ptr<int> alive = alive_;
    loop_->post([this, alive] {
        if (!alive.lock()) return;
        if (handler_) handler_->ready();
        updateMoment();
    });
}

void CameraControllerHelper::retake() {
    restart(false);
    views_->saveImageView->setHidden(true);
    views_->toolBar->scrollToPreview(true);
}

void CameraControllerHelper::cancel() {
    if (handler_) handler_->cancel();
}

void CameraControllerHelper::overlay(const Image& ghost) {
    ImageView& picture = *views_->saveImageView;
    if (ghost) {
        // The reduced copy of the first exposure when that is the one.
        picture.setImage(ghost.sameBitmap(ghost_.full) && ghost_.shown ? ghost_.shown : ghost);
        picture.setAlpha(0.33);
        picture.setFrame(layout_.pictureArea());
        picture.setHidden(false);
        rotate(false);
        views_->toolBar->readyForPhoto2();
    } else {
        picture.setImage(Image());
        picture.setHidden(true);
        views_->toolBar->ready();
    }
}

Image CameraControllerHelper::cameraScreenshot(Rect rect) {
    Image frame = picker_->previewFrame();
    if (!frame) return Image();
    // What the live view shows: the preview's centre when it is zoomed, then
    // fitted into the overlay's area, centred.
    const double scale = picker_->previewScale();
    if (scale > 1) {
        const Size size = frame.size();
        const auto w = static_cast<float>(size.width / scale);
        const auto h = static_cast<float>(size.height / scale);
        frame =
            ImageUtils::drawRect(Rect{(size.width - w) / 2, (size.height - h) / 2, w, h}, frame);
    }
    // The whole frame fitted into the overlay, black around it.
    const Rect bounds = views_->overlay->bounds();
    const Rect shown =
        CameraOverlayView::shownRect(Size{bounds.width, bounds.height}, frame.size());
    const Image fitted = ImageUtils::drawPosterImage(frame, Size{shown.width, shown.height});
    return ImageUtils::drawRect(Rect{rect.x - shown.x, rect.y - shown.y, rect.width, rect.height},
                                fitted);
}

Rect CameraControllerHelper::livePictureRect() {
    // Where cameraScreenshot puts the frame: fitted whole into the overlay.
    const Rect bounds = views_->overlay->bounds();
    return CameraOverlayView::shownRect(Size{bounds.width, bounds.height}, picker_->previewShape());
}

void CameraControllerHelper::hideModeIndicator() {
    ImageView& icon = *views_->modeImage;
    animated(&icon, true, kPlainAnimation, [&] { icon.setAlpha(0); });
}

std::optional<std::string> CameraControllerHelper::timeStamp() const {
    if (!Camera1Data::effective().timeStamp()) return std::nullopt;
    return CameraHandler::timeStampText(std::chrono::system_clock::now());
}

// --- Touches on the overlay: the zoom, or a tap for the shutter ---

void CameraControllerHelper::touchesEnded(Point point, int tapCount) {
    zoom_.dragEnded(point, tapCount);
    if (tapCount == 1 && Camera1Data::effective().fullScreenShutter() &&
        views_->toolBar->shutterButton().enabled())
        shutter();
}

Point CameraControllerHelper::inOverlay(const Touch& touch) const {
    return touch.locationIn(*views_->overlay);
}

void CameraControllerHelper::touchesBegan(const Touch& touch) {
    Responder::touchesBegan(touch);
    touchesBegan(inOverlay(touch));
}

void CameraControllerHelper::touchesMoved(const Touch& touch) {
    Responder::touchesMoved(touch);
    touchesMoved(inOverlay(touch));
}

void CameraControllerHelper::touchesEnded(const Touch& touch) {
    Responder::touchesEnded(touch);
    touchesEnded(inOverlay(touch), touch.tapCount);
}

void CameraControllerHelper::touchesCancelled(const Touch& touch) {
    Responder::touchesCancelled(touch);
    touchesCancelled();
}

void CameraControllerHelper::pinchBegan(const Pinch& pinch) {
    Responder::pinchBegan(pinch);
    zoom_.pinchBegan();
}

void CameraControllerHelper::pinchChanged(const Pinch& pinch) {
    Responder::pinchChanged(pinch);
    zoom_.pinchChanged(pinch.scale);
}

void CameraControllerHelper::pinchEnded(const Pinch& pinch) {
    Responder::pinchEnded(pinch);
    zoom_.pinchEnded(pinch.scale);
}

void CameraControllerHelper::pinchCancelled(const Pinch& pinch) {
    Responder::pinchCancelled(pinch);
    zoom_.pinchCancelled();
}

}  // namespace kestrel
