#pragma once

#include "adapters/gst/CameraSource.h"
#include "adapters/gst/StillMemory.h"
#include "core/platform/CameraPicker.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstEvent GstEvent;

namespace kestrel {

class GstCameraStream;

class GstRecentFrames;

// The camera through a GStreamer pipeline: the source (a real camera or any
// source description) negotiated at its largest size at a usable frame rate,
// then split in two. One branch hands every frame to the live view and the
// motion snapshots in the working layout, scaled down when the source is
// much larger than the live view draws it; the
// other is closed until a still is asked for, then lets exactly one frame
// through at the source's full size, converted once.
//
// Threads: the streaming threads only store the latest preview frame (under
// a lock) and post stills, failures and end of stream to the run loop; every
// other call belongs to the loop's thread.
class GstCameraPicker final : public CameraPicker {
public:
    static constexpr double kStillTimeout = 5.0;
    static constexpr std::chrono::milliseconds kStartTimeout{5000};
    // Until the live view says what size it draws at, its frames fit in
    // this box (the screen needs no more).
    static constexpr int kPreviewBox = 640;
    // A source frame that covers the live view at no less than this scale
    // is handed over unscaled.
    static constexpr double kPassUntouched = 0.5;
    // A frame rate at which the live view still looks live.
    static constexpr double kUsableFrameRate = 10.0;

    // The first source facing back (or nowhere in particular) is the back
    // camera, the first facing front the front one.
    GstCameraPicker(RunLoop& loop, std::vector<CameraSource> sources);
    ~GstCameraPicker() override;
    GstCameraPicker(const GstCameraPicker&) = delete;
    GstCameraPicker& operator=(const GstCameraPicker&) = delete;

    // Starts the chosen device's pipeline and waits (blocking) until its
    // first frame arrives or it fails; answers whether frames flow, with the
    // cause in `problem` otherwise, for the caller to report (once).
    bool start(std::chrono::milliseconds timeout = kStartTimeout);
    // The same without waiting: the camera is starting until its first frame
    // comes, it fails, or `timeout` passes, and then the availability
    // observer is told on the loop. Answers false (the cause in problem())
    // only when the pipeline cannot even be made.
    bool startInBackground(std::chrono::milliseconds timeout = kStartTimeout);
    // Replaces the sources (a camera found later) and starts again in the
    // background; a failure is logged with its cause.
    void replaceSources(std::vector<CameraSource> sources);

    bool isSourceAvailable() const override { return running_; }
    bool isStarting() const override { return starting_; }
    bool isCameraDeviceAvailable(Device device) const override;
    bool isFlashAvailable(Device device) const override;
    Device cameraDevice() const override { return device_; }
    void setCameraDevice(Device device) override;
    FlashMode flashMode() const override { return flash_; }
    void setFlashMode(FlashMode mode) override;

    void takePicture(PictureHandler handler) override;
    // While kept, every source frame is held (or copied, for a small pool)
    // as it leaves the source, before any conversion; a chosen one is
    // converted on a thread of its own.
    void keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) override;
    bool keepsRecentFrames() const override { return recentFrames_ != nullptr; }
    void takeStill(const StillChoice& choice, StillHandler handler) override;
    // Stills made from kept frames.
    long stillsFromKeptFrames() const { return stillsFromKept_.load(); }
    Image previewFrame() const override;
    // Each new frame is posted to the loop while someone observes, one
    // post at a time: frames that come while one waits are drawn with it.
    void setFrameObserver(std::function<void()> observer) override;
    void setPreviewScale(double scale) override { previewScale_ = scale; }
    double previewScale() const override { return previewScale_; }
    void setPreviewTranslation(Point offset) override { previewTranslation_ = offset; }
    Point previewTranslation() const override { return previewTranslation_; }
    // Once the source's size is known, the live view's frames are the
    // source's own, or scaled to cover this size when the source is more
    // than twice as large, instead of fitting the box.
    void setPreviewPixels(int width, int height) override;

    // Why there is no camera ("No camera found", the pipeline's error), or none.
    const std::optional<std::string>& problem() const { return problem_; }
    // The source in use, or none.
    const CameraSource* source() const;
    // The camera's mounting, from what the system reports: the stream's
    // image-orientation tag, else the source's sensor rotation, else 0;
    // `setMountRotation` (a camera that reports it wrongly) overrides both.
    int mountRotation() const override;
    bool facesUser() const override;
    void setPreviewOrientation(int screenTurn, bool mirrored) override;
    void setMountRotation(std::optional<int> rotation);
    // Told on the loop when the camera stops (error, end of stream) or starts again.
    void setAvailabilityObserver(std::function<void()> observer) {
        availability_ = std::move(observer);
    }
    // Told (on the loop's thread) when a still arrives, before its handler.
    void setStillObserver(std::function<void(const Image&)> observer) {
        stillObserver_ = std::move(observer);
    }

    // Frames converted into the working layout since the pipeline started.
    long previewFramesConverted() const;
    long stillsConverted() const;
    // The size the source was negotiated at (0 × 0 before the first frame).
    std::pair<int, int> sourceSize() const;

    // The clockwise rotation an image-orientation tag's value names
    // ("rotate-90" is 90; the flipped ones count by their turn), or none.
    static std::optional<int> rotationOfTag(const std::string& value);

private:
    // Its streams post what the loop must hear of to the picker's own steps.
    friend class GstCameraStream;
    const CameraSource* sourceFor(Device device) const;
    bool open();
    void close();
    void chooseFormat(GstElement* pipeline);
    void stopped(const std::string& cause);
    // The first frame of a pipeline started in the background.
    void firstFrameCame();
    // Frames flow: the camera is there, its flash set.
    void nowRunning();
    // Told on a later turn of the loop: the caller's own call is over first.
    void tellAvailabilityLater();
    void frameArrived();
    void logProblem() const;
    void finish(unsigned request, const Image& picture);
    void applyFlash();
    void applyPreviewSize();
    // The live view's frames turned and mirrored as the window wants them.
    void applyPreviewFlip();
    // The live view's turn now: the mounting with the window's own.
    int previewRotation() const;

    RunLoop* loop_;
    std::vector<CameraSource> sources_;
    std::shared_ptr<GstCameraStream> shared_;  // what the streaming threads see
    GstElement* pipeline_ = nullptr;
    GstElement* photography_ = nullptr;  // the element that offers a flash, or none
    bool running_ = false;
    bool starting_ = false;  // started in the background, no frame yet
    Device device_ = Device::kRear;
    FlashMode flash_ = FlashMode::kOff;
    double previewScale_ = 1.0;
    Point previewTranslation_{};
    std::pair<int, int> previewWanted_{0, 0};   // as the live view asked, or none
    std::pair<int, int> previewApplied_{0, 0};  // the preview branch's size now, or the box
    std::optional<std::string> problem_ = std::string("No camera found");
    std::optional<int> mountOverride_;
    int screenTurn_ = 0;
    bool mirrored_ = false;
    int previewFlip_ = -1;  // the flip element's method now, or -1 before it is set
    std::function<void()> availability_;
    std::function<void(const Image&)> stillObserver_;
    std::function<void()> frameObserver_;
    PictureHandler pending_;
    unsigned stillRequest_ = 0;  // the latest still asked for
    Timer timeout_;
    Timer startTimeout_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for posts to this object
    // Kept across the pipeline's restarts (the same camera after it comes back).
    std::shared_ptr<StillMemory> stillMemory_ = StillMemory::create();
    std::shared_ptr<GstRecentFrames> recentFrames_;  // while frames are kept
    std::thread converter_;  // turns a kept frame into a still
    std::atomic<long> stillsFromKept_{0};
};

}  // namespace kestrel
