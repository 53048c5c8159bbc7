#pragma once

#include "core/platform/CameraPicker.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <QCamera>
#include <QImage>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <memory>
#include <optional>

namespace kestrel {

// The camera through Qt Multimedia: preview frames from a video sink (the
// live view and the motion mode's snapshots), stills from an image capture,
// the back and front devices, flash where the device has one. Without a
// camera, or when it goes away, it says so (`isSourceAvailable` NO, the
// reason in `problem`) and a picture request answers an empty image at once;
// a still that does not come within the timeout answers an empty image too.
class QtCameraPicker final : public CameraPicker {
public:
    static constexpr double kStillTimeout = 10.0;

    explicit QtCameraPicker(RunLoop& loop);
    ~QtCameraPicker() override;

    bool isSourceAvailable() const override { return camera_ != nullptr; }
    bool isCameraDeviceAvailable(Device device) const override;
    bool isFlashAvailable(Device device) const override;
    Device cameraDevice() const override { return device_; }
    void setCameraDevice(Device device) override;
    FlashMode flashMode() const override { return flash_; }
    void setFlashMode(FlashMode mode) override;

    void takePicture(PictureHandler handler) override;
    Image previewFrame() const override;
    void setPreviewScale(double scale) override { previewScale_ = scale; }
    double previewScale() const override { return previewScale_; }
    void setPreviewTranslation(Point offset) override { previewTranslation_ = offset; }
    Point previewTranslation() const override { return previewTranslation_; }

    // Why there is no camera ("No camera found", the device's error), or none.
    const std::optional<std::string>& problem() const { return problem_; }
    // How the stored picture must be turned, for the device orientation when taken.
    void setOrientationSource(std::function<int()> orientation) {
        orientation_ = std::move(orientation);
    }
    // Told when the camera comes or goes (unplugged, plugged in again).
    void setAvailabilityObserver(std::function<void()> observer) {
        availability_ = std::move(observer);
    }

    static Image toImage(const QImage& image, int orientation = Image::kUp);

private:
    std::optional<QCameraDevice> deviceFor(Device device) const;
    void open();
    void finish(const Image& picture);

    RunLoop* loop_;
    QMediaDevices devices_;
    std::unique_ptr<QCamera> camera_;
    QMediaCaptureSession session_;
    QImageCapture capture_;
    QVideoSink sink_;
    QImage lastFrame_;
    mutable std::optional<Image> preview_;  // lastFrame_ in Kestrel's layout, made when first asked
    Device device_ = Device::kRear;
    FlashMode flash_ = FlashMode::kOff;
    double previewScale_ = 1.0;
    Point previewTranslation_{};
    std::optional<std::string> problem_;
    std::function<int()> orientation_;
    std::function<void()> availability_;
    PictureHandler pending_;
    Timer timeout_;
};

}  // namespace kestrel
