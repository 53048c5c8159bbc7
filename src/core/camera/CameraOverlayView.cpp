#include "core/camera/CameraOverlayView.h"

#include "core/camera/CameraControllerHelper.h"
#include "core/settings/Camera1Data.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

void CameraOverlayView::setZoom(float zoom) {
    zoom_ = zoom;
    setNeedsDisplay();
}

float CameraOverlayView::round(double x) { return static_cast<float>(std::trunc(x + 0.5)); }
float CameraOverlayView::round05(double x) { return static_cast<float>(std::trunc(x) + 0.5); }

Rect CameraOverlayView::shownRect(Size area, Size frame) {
    if (frame.width <= 0 || frame.height <= 0 || area.width <= 0 || area.height <= 0)
        return Rect{0, 0, area.width, area.height};
    const double scale = std::min(double{area.width} / frame.width, double{area.height} / frame.height);
    const double w = frame.width * scale, h = frame.height * scale;
    const double left = std::round((area.width - w) / 2), top = std::round((area.height - h) / 2);
    const double right = std::round((area.width + w) / 2), bottom = std::round((area.height + h) / 2);
    return Rect{static_cast<float>(left), static_cast<float>(top), static_cast<float>(right - left),
                static_cast<float>(bottom - top)};
}

Rect CameraOverlayView::shownFrame() const {
    const Rect b = bounds();
    return shownRect(Size{b.width, b.height}, frameShape_ ? frameShape_() : Size{});
}

Rect CameraOverlayView::keptRect() const { return keptRect(shownFrame()); }

Rect CameraOverlayView::keptRect(const Rect& shown) const {
    const EffectiveSettings settings = Camera1Data::effective();
    const double z = zoom_ == 0 ? 1.0 : double{zoom_};
    // The ratio's shape, as the photo's crop takes it: its long side along
    // the frame's long side; with tilt, the anchored crop's band across it.
    const double r = static_cast<float>(Camera1Data::getAspectRatio(settings.ratio()));
    const double wide = std::max(r, 1 / r), tall = std::min(r, 1 / r);
    const bool landscape = shown.width > shown.height;
    const bool square = shown.width == shown.height;
    // The first ratio is the camera's own shape: the whole frame.
    const double aspect = settings.tilt()        ? (landscape ? tall : wide)
                          : settings.ratio() == 0 ? double{shown.width} / shown.height
                          : square                ? r
                          : landscape             ? wide
                                                  : tall;
    double width = 0, height = 0;
    if (aspect < double{shown.width} / shown.height) {
        height = shown.height;
        width = height * aspect;
    } else {
        width = shown.width;
        height = width / aspect;
    }
    width /= z;
    height /= z;
    return Rect{static_cast<float>(shown.x + (shown.width - width) / 2),
                static_cast<float>(shown.y + (shown.height - height) / 2), static_cast<float>(width),
                static_cast<float>(height)};
}

Drawing CameraOverlayView::draw() const {
    if (!showBorder_) return {};
    const EffectiveSettings settings = Camera1Data::effective();
    const bool tilt = settings.tilt();
    const Color stroke{0, 1, 0, 0.25};
    const Color fill{0, 0, 0, tilt ? 1.0 : 0.5};

    if (zoom_ == 0) zoom_ = 1;
    const Rect shown = shownFrame();  // asked of the camera once a draw
    const Rect kept = keptRect(shown);
    const double frameWidth = kept.width, frameHeight = kept.height;
    const double top = kept.y, left = kept.x;
    const auto bottom = static_cast<float>(top + frameHeight);
    const auto right = static_cast<float>(left + frameWidth);
    const auto rowA = static_cast<float>(top + frameHeight / 3);
    const auto rowB = static_cast<float>(rowA + frameHeight / 3);
    const auto colA = static_cast<float>(left + frameWidth / 3);
    const auto colB = static_cast<float>(colA + frameWidth / 3);

    const float T = round(top), B = round(bottom), L = round(left), R = round(right);
    const float ra = round05(rowA), rb = round05(rowB), ca = round05(colA), cb = round05(colB);

    // The bands beyond the kept part: the bottom one as high as the top one
    // and the right one as wide as the left one when the frame is centred,
    // else as much more as the frame lies off centre.
    const Rect b = bounds();
    const float bottomBand = T + (b.height - shown.y - shown.height) - shown.y;
    const float rightBand = L + (b.width - shown.x - shown.width) - shown.x;
    using Kind = DrawingPrimitive::Kind;
    Drawing drawing{
        {Kind::kFillRect, Rect{0, 0, b.width, T}, fill},
        {Kind::kFillRect, Rect{0, B, b.width, bottomBand}, fill},
        {Kind::kFillRect, Rect{0, T, L, B - T}, fill},
        {Kind::kFillRect, Rect{R, T, rightBand, B - T}, fill},
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
