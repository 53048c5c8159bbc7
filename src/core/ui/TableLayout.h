#pragma once

#include "core/base/Geometry.h"
#include "core/ui/IndexPath.h"
#include "core/ui/TableViewCell.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class TableView;

// Where a table's headers and rows lie, how far it is scrolled, and which
// cells show the rows in view: laid out again before each paint, asking the
// data source for the cells of the rows in view only and keeping a row's
// cell while the row stays in view and the table is not reloaded. Rows
// scrolled out give their cells back to the table for reuse. Each table
// owns its layout, so it goes with the table. Main thread.
class TableLayout {
public:
    // A grouped table's margin around its sections, its gap between them, a header's height.
    static constexpr float kGroupedInset = 10;
    static constexpr float kGroupedGap = 20;
    static constexpr float kHeaderHeight = 36;

    struct Header {
        Rect rect;  // in the table's content (unscrolled)
        std::string text;
    };
    struct Row {
        IndexPath path;
        std::shared_ptr<TableViewCell> cell;
        Rect rect;  // in the table's content (unscrolled)
    };

    // Lays `table` out at its frame's size; without a data source, empties.
    void update(TableView& table);
    // Scrolls by `dy` points (positive: the content moves up), kept between
    // the top and the content's end at a view `height` tall.
    void scrollBy(float dy, float height);

    float offset() const { return offset_; }
    float contentHeight() const { return contentHeight_; }
    const std::vector<Header>& headers() const { return headers_; }
    // The rows in view, each with its cell.
    const std::vector<Row>& rows() const { return rows_; }
    // The row in view under a point in the table's own coordinates (as the
    // table is drawn, scrolled); none between rows or below the last.
    const Row* rowAt(Point inTable) const;

private:
    float offset_ = 0;
    unsigned generation_ = ~0u;
    std::optional<IndexPath> appliedScroll_;
    std::vector<Header> headers_;
    std::vector<Row> rows_;
    float contentHeight_ = 0;
};

}  // namespace kestrel
