#include "core/camera/LiveViewZoom.h"

#include "core/settings/Camera1Data.h"
#include "core/ui/AnimationBlock.h"

#include <utility>

namespace kestrel {
namespace {

constexpr int kPlainAnimation = 1;

bool digitalZoom() { return Camera1Data::effective().digitalZoom(); }

}  // namespace

LiveViewZoom::LiveViewZoom(CameraPicker& picker, CameraZoomView& readout,
                           std::function<int()> controlOrientation)
    : picker_(&picker), readout_(&readout), controlOrientation_(std::move(controlOrientation)) {}

float LiveViewZoom::movement(Point p) const {
    if (!dragging()) return 0;
    switch (controlOrientation_()) {
        case 1:
            return p.x - startPoint_.x;
        case 2:
            return startPoint_.x - p.x;
        case 3:
            return p.y - startPoint_.y;
        case 4:
            return startPoint_.y - p.y;
        default:
            return 0;
    }
}

void LiveViewZoom::zoomTo(double factor) {
    zoom_ = factor > 4.0 ? 4.0f : factor < 1.0 ? 1.0f : static_cast<float>(factor);
    apply();
}

void LiveViewZoom::apply() {
    const EffectiveSettings settings = Camera1Data::effective();
    if (!settings.digitalZoom()) zoom_ = 1.0f;
    readout_->setZoom(zoom_);
    if (!settings.tilt()) {
        picker_->setPreviewScale(zoom_);
        return;
    }
    // The anchored crop: the preview is shifted down for the ratio, not scaled.
    switch (settings.ratio()) {
        case 0:
            picker_->setPreviewTranslation(Point{0, 92.5f});
            break;
        case 1:
            picker_->setPreviewTranslation(Point{0, 122.5f});
            break;
        case 2:
            picker_->setPreviewTranslation(Point{0, 52.5f});
            break;
        default:
            break;
    }
}

void LiveViewZoom::dragBegan(Point point) {
    if (!digitalZoom()) return;
    startZoom_ = zoom_;
    startPoint_ = point;
    showReadout();
}

void LiveViewZoom::dragMoved(Point point) {
    if (!digitalZoom()) return;
    // A move without a touch that began here starts the drag where it is.
    if (dragging())
        zoomByDrag(point);
    else
        dragBegan(point);
}

void LiveViewZoom::dragEnded(Point point, int tapCount) {
    if (digitalZoom()) {
        if (tapCount == 2) {
            zoomTo(1.0);
            fadeReadout();
        } else if (movement(point) != 0) {
            zoomByDrag(point);
            fadeReadout();
        }
    }
    startPoint_ = Point{};
}

void LiveViewZoom::dragCancelled() {
    if (digitalZoom()) fadeReadout();
    startPoint_ = Point{};
}

void LiveViewZoom::pinchBegan() {
    if (!digitalZoom()) return;
    pinching_ = true;
    startPoint_ = Point{};  // no drag alongside
    pinchZoom_.begin(zoom_);
    readout_->setZoom(zoom_);
    showReadout();
}

void LiveViewZoom::pinchChanged(double scale) {
    if (pinching_) zoomTo(pinchZoom_.zoomFor(scale));
}

void LiveViewZoom::pinchEnded(double scale) {
    if (!std::exchange(pinching_, false)) return;
    zoomTo(pinchZoom_.zoomFor(scale));
    fadeReadout();
}

void LiveViewZoom::pinchCancelled() {
    if (std::exchange(pinching_, false)) fadeReadout();
}

void LiveViewZoom::zoomByDrag(Point point) {
    zoomTo(static_cast<double>(startZoom_) *
           (1.0 + static_cast<double>(movement(point)) / kMovementPerDoubling));
}

void LiveViewZoom::showReadout() {
    readout_->setHidden(false);
    readout_->setAlpha(1);
}

void LiveViewZoom::fadeReadout() {
    AnimationBlock::animate(readout_, true, kPlainAnimation, [this] { readout_->setAlpha(0); });
}

}  // namespace kestrel
