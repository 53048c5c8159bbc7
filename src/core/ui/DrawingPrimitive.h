#pragma once

#include "core/base/Geometry.h"

#include <vector>

namespace kestrel {

// One thing a view draws, in its own bounds' coordinates (origin top left):
// what the renderer paints and what tests check against the documented
// numbers.
struct DrawingPrimitive {
    enum class Kind { kFillRect, kStrokeRect, kFillRoundedRect, kLine };
    Kind kind = Kind::kFillRect;
    Rect rect;            // the rectangle, or the line from (x, y) to (x + width, y + height)
    Color color;          // alpha included
    float radius = 0;     // corner radius of a rounded rectangle
    float lineWidth = 1;  // strokes and lines

    bool operator==(const DrawingPrimitive&) const = default;
};

using Drawing = std::vector<DrawingPrimitive>;

}  // namespace kestrel
