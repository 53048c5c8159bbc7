#include "adapters/qt/QtCameraPicker.h"

#include "core/platform/Log.h"

#include <QVideoFrame>

namespace kestrel {

QtCameraPicker::QtCameraPicker(RunLoop& loop) : loop_(&loop), timeout_(loop) {
    session_.setImageCapture(&capture_);
    session_.setVideoSink(&sink_);
    QObject::connect(&sink_, &QVideoSink::videoFrameChanged, &sink_,
                     [this](const QVideoFrame& frame) {
                         lastFrame_ = frame.toImage();
                         preview_.reset();
                     });
    QObject::connect(
        &capture_, &QImageCapture::imageCaptured, &capture_, [this](int, const QImage& image) {
            const int held = orientation_ ? orientation_() : 1;
            // The sensor lies along the long side: held upright, the picture needs a quarter turn.
            const int orientation = held == 3   ? Image::kUp
                                    : held == 4 ? Image::kDown
                                    : held == 2 ? Image::kLeft
                                                : Image::kRight;
            finish(toImage(image, image.width() > image.height() ? orientation : Image::kUp));
        });
    QObject::connect(&capture_, &QImageCapture::errorOccurred, &capture_,
                     [this](int, QImageCapture::Error, const QString& message) {
                         Log::warning("camera: the still failed: " + message.toStdString());
                         finish(Image());
                     });
    QObject::connect(&devices_, &QMediaDevices::videoInputsChanged, &sink_, [this] {
        const bool before = isSourceAvailable();
        open();
        if (availability_ && before != isSourceAvailable()) availability_();
    });
    open();
}

QtCameraPicker::~QtCameraPicker() { session_.setCamera(nullptr); }

std::optional<QCameraDevice> QtCameraPicker::deviceFor(Device device) const {
    const auto inputs = QMediaDevices::videoInputs();
    const auto wanted =
        device == Device::kFront ? QCameraDevice::FrontFace : QCameraDevice::BackFace;
    for (const QCameraDevice& input : inputs)
        if (input.position() == wanted) return input;
    // A desktop's cameras rarely say where they face: the first serves as the back one.
    if (device == Device::kRear && !inputs.isEmpty()) return inputs.front();
    return std::nullopt;
}

void QtCameraPicker::open() {
    const bool hadCamera = camera_ != nullptr;
    session_.setCamera(nullptr);
    camera_.reset();
    lastFrame_ = QImage();
    preview_.reset();
    const auto input = deviceFor(device_);
    if (!input) {
        problem_ = "No camera found";
        // A camera that went away is news; none at start is what the device choice reports.
        Log::write(hadCamera ? Log::Level::Warning : Log::Level::Debug, "camera: no camera found");
        if (pending_) finish(Image());
        return;
    }
    camera_ = std::make_unique<QCamera>(*input);
    QObject::connect(camera_.get(), &QCamera::errorOccurred, &sink_,
                     [this](QCamera::Error, const QString& message) {
                         problem_ = message.toStdString();
                         Log::warning("camera: " + message.toStdString());
                         if (pending_) finish(Image());
                     });
    session_.setCamera(camera_.get());
    camera_->start();
    problem_.reset();
    setFlashMode(flash_);
}

bool QtCameraPicker::isCameraDeviceAvailable(Device device) const {
    return deviceFor(device).has_value();
}

bool QtCameraPicker::isFlashAvailable(Device device) const {
    return camera_ && device == device_ && camera_->isFlashModeSupported(QCamera::FlashOn);
}

void QtCameraPicker::setCameraDevice(Device device) {
    if (device == device_) return;
    device_ = device;
    open();
}

void QtCameraPicker::setFlashMode(FlashMode mode) {
    flash_ = mode;
    if (!camera_) return;
    const QCamera::FlashMode qt = mode == FlashMode::kOn     ? QCamera::FlashOn
                                  : mode == FlashMode::kAuto ? QCamera::FlashAuto
                                                             : QCamera::FlashOff;
    if (camera_->isFlashModeSupported(qt)) camera_->setFlashMode(qt);
}

void QtCameraPicker::takePicture(PictureHandler handler) {
    pending_ = std::move(handler);
    if (!camera_ || !capture_.isReadyForCapture()) {
        Log::warning("camera: no picture can be taken now");
        loop_->post([this] { finish(Image()); });
        return;
    }
    timeout_.start(RunLoop::seconds(kStillTimeout), [this] {
        Log::warning("camera: the still did not come");
        finish(Image());
    });
    capture_.capture();
}

void QtCameraPicker::finish(const Image& picture) {
    timeout_.stop();
    if (auto handler = std::exchange(pending_, nullptr)) handler(picture);
}

Image QtCameraPicker::previewFrame() const {
    // The live view and the motion mode both ask for every frame: convert it once.
    if (!preview_) preview_ = toImage(lastFrame_);
    return *preview_;
}

Image QtCameraPicker::toImage(const QImage& image, int orientation) {
    if (image.isNull()) return Image();
    const QImage rgb =
        image.convertToFormat(QImage::Format_RGB32);  // bytes B, G, R, X: the working layout
    Bitmap bitmap(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(bitmap.row(y), rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 4);
    return Image(std::move(bitmap), orientation);
}

}  // namespace kestrel
