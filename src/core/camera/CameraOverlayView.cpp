#include "core/camera/CameraOverlayView.h"

#include "core/camera/CameraControllerHelper.h"
#include "core/settings/Camera1Data.h"

#include <cmath>

namespace kestrel {

void CameraOverlayView::setZoom(float zoom) {
    zoom_ = zoom;
    setNeedsDisplay();
}

float CameraOverlayView::round(double x) { return static_cast<float>(std::trunc(x + 0.5)); }
float CameraOverlayView::round05(double x) { return static_cast<float>(std::trunc(x) + 0.5); }

Drawing CameraOverlayView::draw() const {
    if (!showBorder_) return {};
    // The mask covers the overlay, which covers the picture area.
    const float width = frame().width;
    const float height = frame().height;
    const EffectiveSettings settings = Camera1Data::effective();
    const bool tilt = settings.tilt();
    const Color stroke{0, 1, 0, 0.25};
    const Color fill{0, 0, 0, tilt ? 1.0 : 0.5};

    if (zoom_ == 0) zoom_ = 1;
    const double z = zoom_;
    // Narrowed to single precision, then compared in double: 4:3 counts as wider.
    const float r = static_cast<float>(Camera1Data::getAspectRatio(settings.ratio()));
    const bool wide = static_cast<double>(r) > 4.0 / 3.0;
    double frameWidth = 0;
    double frameHeight = 0;
    if (wide != tilt) {
        frameWidth = (height / static_cast<double>(r)) / z;
        frameHeight = height / z;
    } else {
        frameWidth = width / z;
        frameHeight = (width / static_cast<double>(r)) / z;
    }
    const auto top = static_cast<float>((height - frameHeight) / 2);
    const auto bottom = static_cast<float>(top + frameHeight);
    const auto left = static_cast<float>((width - frameWidth) / 2);
    const auto right = static_cast<float>(left + frameWidth);
    const auto rowA = static_cast<float>(top + frameHeight / 3);
    const auto rowB = static_cast<float>(rowA + frameHeight / 3);
    const auto colA = static_cast<float>(left + frameWidth / 3);
    const auto colB = static_cast<float>(colA + frameWidth / 3);

    const float T = round(top), B = round(bottom), L = round(left), R = round(right);
    const float ra = round05(rowA), rb = round05(rowB), ca = round05(colA), cb = round05(colB);

    using Kind = DrawingPrimitive::Kind;
    Drawing drawing{
        {Kind::kFillRect, Rect{0, 0, width, T}, fill},
        {Kind::kFillRect, Rect{0, B, width, T}, fill},
        {Kind::kFillRect, Rect{0, T, L, B - T}, fill},
        {Kind::kFillRect, Rect{R, T, L, B - T}, fill},
    };
    if (settings.grid() && showGrid_) {
        auto line = [&](float x1, float y1, float x2, float y2) {
            drawing.push_back({Kind::kLine, Rect{x1, y1, x2 - x1, y2 - y1}, stroke, 0, 2.0f});
        };
        line(L + 0.5f, ra, R - 0.5f, ra);
        line(L + 0.5f, rb, R - 0.5f, rb);
        line(ca, T + 0.5f, ca, B - 0.5f);
        line(cb, T + 0.5f, cb, B - 0.5f);
    }
    return drawing;
}

Responder* CameraOverlayView::nextResponder() const {
    if (helper_) return helper_;
    return View::nextResponder();
}

}  // namespace kestrel
