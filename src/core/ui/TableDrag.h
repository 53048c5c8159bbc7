#pragma once

#include "core/base/Geometry.h"

namespace kestrel {

class TableView;

// A finger held on a table: a tap (the touched row or control follows it)
// until it has gone more than kSlop points up or down from where it
// pressed, a scroll of the table from then on, to the end of the touch.
// Main thread.
class TableDrag {
public:
    static constexpr float kSlop = 6;

    enum class Step {
        kTouch,    // still a tap: the move goes to the touched view
        kScrolls,  // the table scrolled with the finger
        kBecameScroll,  // the first scroll: the touched view's touch is cancelled
    };

    // A press at `point`, in `table` (none: a touch outside any table).
    void press(Point point, TableView* table);
    // The finger at `point`.
    Step move(Point point);
    // The table scrolled by other means (a wheel) while the finger is held:
    // on the touched table that makes the touch a scroll as a move would
    // (kBecameScroll the first time), else it stays what it was.
    Step scrolledUnder(const TableView* table);
    bool scrolling() const { return scrolling_; }
    // The touch ended or was taken away.
    void end() {
        table_ = nullptr;
        scrolling_ = false;
    }

private:
    TableView* table_ = nullptr;
    Point pressed_{};
    Point last_{};
    bool scrolling_ = false;
};

}  // namespace kestrel
