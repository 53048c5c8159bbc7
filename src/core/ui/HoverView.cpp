#include "core/ui/HoverView.h"

namespace kestrel {

DrawingPrimitive HoverView::roundedPanel(Rect bounds, float grey, float alpha) {
    const Rect inset{bounds.x + 1, bounds.y + 1, bounds.width - 2, bounds.height - 2};
    return DrawingPrimitive{DrawingPrimitive::Kind::kFillRoundedRect, inset,
                            Color{grey, grey, grey, alpha}, kCornerRadius};
}

Drawing HoverView::draw() const { return {roundedPanel(bounds(), grayLevel_, transparency_)}; }

}  // namespace kestrel
