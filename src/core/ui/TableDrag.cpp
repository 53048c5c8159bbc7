#include "core/ui/TableDrag.h"

#include "core/ui/TableView.h"

#include <cmath>

namespace kestrel {

void TableDrag::press(Point point, TableView* table) {
    table_ = table;
    pressed_ = last_ = point;
    scrolling_ = false;
}

TableDrag::Step TableDrag::move(Point point) {
    Step step = scrolling_ ? Step::kScrolls : Step::kTouch;
    if (table_ && !scrolling_ && std::abs(point.y - pressed_.y) > kSlop) {
        scrolling_ = true;
        step = Step::kBecameScroll;
    }
    if (scrolling_) table_->scrollBy(last_.y - point.y);
    last_ = point;
    return step;
}

TableDrag::Step TableDrag::scrolledUnder(const TableView* table) {
    if (scrolling_) return Step::kScrolls;
    if (!table_ || table != table_) return Step::kTouch;
    // The touched row moves away under the finger: lifted, it taps no row.
    scrolling_ = true;
    return Step::kBecameScroll;
}

}  // namespace kestrel
