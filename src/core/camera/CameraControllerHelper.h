#pragma once

#include "core/camera/CameraTurning.h"
#include "core/camera/CameraViewManager.h"
#include "core/camera/CaptureSession.h"
#include "core/camera/LiveViewZoom.h"
#include "core/camera/MomentCapture.h"
#include "core/camera/SoundCues.h"
#include "core/modes/CameraHandler.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/CameraPicker.h"
#include "core/platform/GeoPosition.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/Timer.h"
#include "core/store/CameraRoll.h"
#include "core/store/GpsImageSaver.h"
#include "core/ui/Responder.h"
#include "core/ui/ScreenLayout.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace kestrel {

// The spine of the camera screen: owns the mode handler and carries every
// picture from the shutter through capture, processing and review to the
// saver and back to live view; switches camera and flash. The overlay's
// touches come to it as the overlay's next responder: they zoom the live
// view (LiveViewZoom) or, as a tap, press the shutter. The small views turn
// with the device (CameraTurning). Main thread.
//
// One press is one picture: a press while a capture is on its way, a
// picture is reviewed or being saved does nothing. Hiding the camera
// (settings, album) stops a count-down or sensing as a press would; a
// picture that was reviewed, saving or still coming is kept and shown again
// when the camera comes back.
class CameraControllerHelper final : public CameraHandlerHost, public Responder {
public:
    struct Services {
        CameraPicker& picker;
        CameraViewManager& views;
        RunLoop& loop;
        SystemSounds& sounds;
        GpsImageSaver& saver;
        NotificationCenter& notifications;
        std::filesystem::path resources;
        std::function<std::optional<GeoPosition>()> currentLocation;  // may be empty
        std::function<int()> deviceOrientation;                       // may be empty: upright
        AudioSystem* audio = nullptr;                                 // none: no microphone
        std::function<bool()> hasAccelerometer = nullptr;             // may be empty: there is one
        // Where pictures are processed, off the main loop; none: on the
        // main loop (posted), as tests may want.
        WorkerQueue* photoWorker = nullptr;
    };
    static constexpr float kMovementPerDoubling = LiveViewZoom::kMovementPerDoubling;

    explicit CameraControllerHelper(Services services);
    ~CameraControllerHelper() override;
    CameraControllerHelper(const CameraControllerHelper&) = delete;
    CameraControllerHelper& operator=(const CameraControllerHelper&) = delete;

    void showCamera();
    // Drops the handler and leaves the camera (the root controller dismisses it).
    void hideCamera();
    // The camera screen goes out of sight (settings, album): a count-down,
    // sensing or series in progress stops as a press would stop it, and no
    // new picture is taken until the camera is back.
    void cameraWillHide();
    // The camera screen is back: a picture kept in review (or on its way to
    // the store) is shown again with what can be done with it.
    void cameraDidShow();
    bool isHidden() const { return hidden_; }
    // The mode's icon, shown now and faded out 3 s later.
    void showModeIndicator();
    // One image for the states normal, highlighted, disabled and selected.
    static void setButton(Button& button, const std::string& image);
    void setup();
    void setupHardware();
    // Without a camera, or while it starts: a message, and the toolbar for
    // the settings and the album.
    void showNoCamera();
    void refreshCamera();
    void refreshFlash();
    void camera();
    void flash();
    void reset();
    void shutter();
    void photo(bool finalPhoto) override;
    // The camera's answer, taken at `capturedAt` on the run loop's clock.
    void pictureTaken(const Image& picture, RunLoop::Duration capturedAt);
    void save();
    void afterSave();
    void restart(bool represent);
    void use() { save(); }
    void retake();
    void cancel();
    void overlay(const Image& ghost) override;
    void hideModeIndicator();
    std::optional<std::string> timeStamp() const;

    // Zoom and touch.
    float getZoomMovement(Point point) const { return zoom_.movement(point); }
    void zoomTo(double factor) { zoom_.zoomTo(factor); }
    void applyZoom() { zoom_.apply(); }
    // The live preview back to scale 1 (the zoom factor itself stays).
    void releaseZoom() { zoom_.release(); }
    void touchesBegan(Point point) { zoom_.dragBegan(point); }
    void touchesMoved(Point point) { zoom_.dragMoved(point); }
    // A single tap presses the shutter where the settings make the whole
    // screen one.
    void touchesEnded(Point point, int tapCount);
    void touchesCancelled() { zoom_.dragCancelled(); }
    float zoom() const { return zoom_.factor(); }

    // Responder: touches on the overlay, located in the overlay.
    void touchesBegan(const Touch& touch) override;
    void touchesMoved(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;
    void touchesCancelled(const Touch& touch) override;
    // Two fingers zoom the live view as the drag does (1–4×, the same
    // read-out); a cancelled pinch leaves the zoom where it got to.
    void pinchBegan(const Pinch& pinch) override;
    void pinchChanged(const Pinch& pinch) override;
    void pinchEnded(const Pinch& pinch) override;
    void pinchCancelled(const Pinch& pinch) override;

    // Turning the picture, the panels and the save label with the device.
    void rotate(bool animated) { turning_.rotate(animated); }
    // The clockwise turn of the window's coordinates (a shell that turns the
    // screen with the device): the live view turns by it, and the controls
    // turn by only what the screen does not.
    void setScreenTurn(int degrees) { turning_.setScreenTurn(degrees); }
    int screenTurn() const { return turning_.screenTurn(); }
    // The orientation number (1–4) the controls are turned for: the
    // device's turn less the screen's.
    int controlOrientation() const { return turning_.controlOrientation(); }
    // The image orientation value a still taken now gets: the camera's
    // mounting with the device's turn, mirrored for a camera facing the
    // user when the settings ask.
    int photoOrientation() const { return turning_.photoOrientation(); }
    // The screen's layout: every view of the camera screen is placed anew at
    // once (what the device's turn moved follows it again); the camera runs on.
    void setLayout(const ScreenLayout& layout);
    const ScreenLayout& layout() const { return layout_; }

    CameraHandler* handler() const { return handler_.get(); }
    // The processed picture under review or being saved; none in live view.
    const Image& image() const { return session_.image(); }
    const CaptureSession& session() const { return session_; }
    void setCameraRoll(std::shared_ptr<CameraRoll> roll) { cameraRoll_ = std::move(roll); }
    // Told of every finished save: the photo's path, or none when it failed.
    void setSaveObserver(std::function<void(const std::optional<std::string>&)> observer) {
        saveObserver_ = std::move(observer);
    }
    // Told of every event of the screen, as one line each (see trace).
    void setTraceObserver(std::function<void(const std::string&)> observer) {
        traceObserver_ = std::move(observer);
    }
    bool isLive() const { return session_.state() == CaptureSession::State::kLive; }
    // A picture was asked of the camera and has not come yet.
    bool isCapturing() const { return session_.isCapturing(); }
    // A picture is on its way to the store (its completion comes by post).
    bool isSaving() const { return saving_; }
    // Pictures on the photo worker (their completions come by post).
    bool isProcessing() const { return session_.processing() > 0; }
    // Pictures waiting for the save under way to finish before theirs starts.
    std::size_t queuedSaves() const { return session_.queuedSaves(); }
    // Final pictures bound for the store by themselves (auto-save) that the
    // saver has not been given yet: quitting waits for them.
    std::size_t photosBeforeTheStore() const { return session_.photosBeforeTheStore(); }
    // The program is going: an auto-saved picture kept for the camera's
    // return (it came behind the settings or the album) is saved now, and so
    // is one that comes from here on, shown or not.
    void quitting();
    // What the toolbar's settings button does (the root controller's settings:).
    void setSettingsAction(std::function<void()> action);
    View& container() { return *container_; }
    Button& cameraButton() { return *cameraButton_; }
    Button& flashButton() { return *flashButton_; }

    // CameraHandlerHost
    Label& timerLabel() override { return *views_->timerLabel; }
    View& sensorView() override { return *views_->sensorView; }
    IndicatorView& sensorIndicator() override { return views_->sensorView->indicatorView(); }
    ImageButton& shutterButton() override { return views_->toolBar->shutterButton(); }
    RunLoop& runLoop() override { return *loop_; }
    SystemSounds& systemSounds() override { return *sounds_; }
    std::filesystem::path resources() const override { return resources_; }
    Label& saveLabel() override { return *views_->saveLabel; }
    Image cameraScreenshot(Rect rect) override;
    Image previewFrame() override { return picker_->previewFrame(); }
    std::shared_ptr<FaceFinder> faceFinder() override { return ModeOffer::faceFinder(); }
    Rect livePictureRect() override;
    bool hasAccelerometer() const override { return !hasAccelerometer_ || hasAccelerometer_(); }
    // A mode that cannot work here says, in live view, why.
    void showModeNotice() override;
    AudioSystem* audioSystem() override { return audio_; }
    void sensingStarted() override { cues_.play(SoundCues::kArmed); }
    void waitingChanged() override { updateMoment(); }
    void trace(const std::string& event) override {
        if (traceObserver_) traceObserver_(event);
    }

private:
    // The camera keeps its recent frames while the mode waits for its
    // trigger and its still choice uses them, or a still is being chosen.
    void updateMoment();
    MomentCapture::Options momentOptions() const;
    void setToolbarButtonsEnabled(bool enabled);
    void animateSave();
    // The reviewed picture on black, the border and grid hidden.
    void presentReview();
    // The session's answers: an intermediate frame processed; a final
    // picture to review or save.
    void firstPhotoProcessed(const CaptureSession::Processed& result);
    void pictureShown();
    // "Saving to Camera Roll..." with the toolbar's buttons held.
    void showSaving();
    // The mode icon shown, faded out 3 s later.
    void showModeIcon(const std::optional<std::string>& icon);
    Point inOverlay(const Touch& touch) const;

    CameraPicker* picker_;
    CameraViewManager* views_;
    RunLoop* loop_;
    SystemSounds* sounds_;
    GpsImageSaver* saver_;
    NotificationCenter* notifications_;
    std::filesystem::path resources_;
    std::function<std::optional<GeoPosition>()> currentLocation_;
    std::function<bool()> hasAccelerometer_;
    bool noticeShown_ = false;
    NotificationCenter::ObserverId orientationObserver_ = 0;
    Timer modeIndicatorTimer_;
    SoundCues cues_;

    std::shared_ptr<View> container_;
    std::shared_ptr<Button> cameraButton_;
    std::shared_ptr<Button> flashButton_;
    std::shared_ptr<CameraRoll> cameraRoll_;
    std::unique_ptr<CameraHandler> handler_;
    CaptureSession session_;
    MomentCapture moment_;
    bool stillPending_ = false;  // a still asked of the camera has not come yet
    bool saving_ = false;  // the saver has the picture shown; its completion is to come
    // The last intermediate frame processed and its reduced copy: the ghost
    // of a first exposure is shown small.
    CaptureSession::Processed ghost_;
    bool hidden_ = false;
    bool quitting_ = false;
    std::function<void(const std::optional<std::string>&)> saveObserver_;
    std::function<void(const std::string&)> traceObserver_;
    AudioSystem* audio_ = nullptr;
    int captureOrientation_ = Image::kUp;  // of the still on its way, fixed at the press
    ScreenLayout layout_;
    CameraTurning turning_;  // reads layout_
    LiveViewZoom zoom_;      // asks turning_ which way a drag zooms
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for calls posted to the loop
};

}  // namespace kestrel
