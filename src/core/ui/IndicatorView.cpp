#include "core/ui/IndicatorView.h"

#include <cmath>

namespace kestrel {

void IndicatorView::setLevel(float level) {
    level_ = level;
    setNeedsDisplay();
}

Drawing IndicatorView::draw() const {
    const float w = frame().width;
    const float h = frame().height;
    const float unit = std::floor(w / 29.0f);
    const float segmentWidth = 2 * unit - 1;
    auto segment = [&](int i) {
        return Rect{static_cast<float>(i) * 3 * unit + 0.5f, 0.5f, segmentWidth, h - 1};
    };
    const Color green{0, 1, 0, 1};

    Drawing drawing;
    const float tenths = level_ * 10;
    const int n = static_cast<int>(std::trunc(tenths));
    for (int i = 0; i < n && i < 10; ++i)
        drawing.push_back({DrawingPrimitive::Kind::kFillRect, segment(i), green});
    if (n >= 0 && n < 10) {
        const Color partial{0, 1, 0, static_cast<double>(tenths - static_cast<float>(n))};
        drawing.push_back({DrawingPrimitive::Kind::kFillRect, segment(n), partial});
        drawing.push_back({DrawingPrimitive::Kind::kFillRect, segment(n), partial});
    }
    for (int i = 0; i < 10; ++i)
        drawing.push_back({DrawingPrimitive::Kind::kStrokeRect, segment(i), green});
    return drawing;
}

}  // namespace kestrel
