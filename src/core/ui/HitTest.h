#pragma once

#include "core/base/Geometry.h"
#include "core/ui/IndexPath.h"

#include <memory>
#include <optional>

namespace kestrel {

class TableView;
class View;

// Which view a touch at a point goes to: the deepest view under it that
// takes touches, front to back. Views that are hidden, all but invisible
// (alpha at most kInvisibleAlpha) or not taking touches are passed over
// with everything inside them, so the touch reaches what lies below. In a
// table, a control inside a row takes the touch, else the row's cell, else
// the table itself, its rows laid out as they are at the touch. Main thread.
class HitTest {
public:
    static constexpr double kInvisibleAlpha = 0.01;

    struct Result {
        View* view = nullptr;        // the view the touch goes to
        std::shared_ptr<View> keep;  // holds that view while a touch is on it
        Point local;                 // the point in that view's own coordinates
        TableView* table = nullptr;  // the table it lies in, if any
        std::optional<IndexPath> row;
        Point inRow;  // the point in the row's coordinates
    };

    // The touch at `point`, given in `content`'s superview's coordinates;
    // `owner` holds `content` itself.
    static Result at(View& content, Point point, std::shared_ptr<View> owner);
    // Whether a view is there for the user at all: shown and not invisible.
    static bool seen(const View& view);
    // The point, given in the view's frame (its superview's coordinates), in
    // the view's own, its turn and scale about its centre undone; none
    // outside the view, or for a view scaled to nothing.
    static std::optional<Point> inside(const View& view, Point inFrame);

private:
    static Result in(View& view, Point point, Result hit);
    static Result inTable(TableView& table, Point local);
};

}  // namespace kestrel
