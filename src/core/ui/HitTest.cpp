#include "core/ui/HitTest.h"

#include "core/ui/TableView.h"
#include "core/ui/View.h"

#include <cmath>

namespace kestrel {

bool HitTest::seen(const View& view) { return !view.hidden() && view.alpha() > kInvisibleAlpha; }

std::optional<Point> HitTest::inside(const View& view, Point inFrame) {
    const Rect& f = view.frame();
    double x = inFrame.x - f.x;
    double y = inFrame.y - f.y;
    const View::Transform& t = view.transform();
    if (!(t == View::Transform{})) {
        if (t.scaleX == 0 || t.scaleY == 0) return std::nullopt;  // nothing left to touch
        // Undo the turn about the centre, then the scale.
        const double cx = f.width / 2.0;
        const double cy = f.height / 2.0;
        const double c = std::cos(t.rotation);
        const double s = std::sin(t.rotation);
        const double dx = x - cx;
        const double dy = y - cy;
        x = cx + (dx * c + dy * s) / t.scaleX;
        y = cy + (-dx * s + dy * c) / t.scaleY;
    }
    if (x < 0 || y < 0 || x >= f.width || y >= f.height) return std::nullopt;
    return Point{static_cast<float>(x), static_cast<float>(y)};
}

HitTest::Result HitTest::at(View& content, Point point, std::shared_ptr<View> owner) {
    Result hit = in(content, point, Result{});
    if (hit.view == &content) hit.keep = std::move(owner);
    return hit;
}

HitTest::Result HitTest::in(View& view, Point point, Result hit) {
    if (!seen(view) || !view.userInteractionEnabled()) return Result{};
    const auto local = inside(view, point);
    if (!local) return Result{};
    if (auto* table = dynamic_cast<TableView*>(&view)) return inTable(*table, *local);
    for (auto it = view.subviews().rbegin(); it != view.subviews().rend(); ++it) {
        Result inner = in(**it, *local, hit);
        if (inner.view) {
            if (!inner.keep) inner.keep = *it;
            return inner;
        }
    }
    hit.view = &view;
    hit.keep = nullptr;  // the caller, which holds this view, fills it in
    hit.local = *local;
    return hit;
}

HitTest::Result HitTest::inTable(TableView& table, Point local) {
    // Laid out first: a touch may come before the next paint, after a
    // scroll or a reload, and must find the rows as they are now, not a row
    // that is gone (its cell placed past the table's end).
    table.layOut();
    const TableLayout::Row* row = table.layout().rowAt(local);
    if (!row) {
        Result onTable;
        onTable.view = &table;
        onTable.local = local;
        onTable.table = &table;
        return onTable;
    }
    const Point inRow{local.x - row->rect.x, local.y + table.layout().offset() - row->rect.y};
    const Result onRow{row->cell.get(), row->cell, inRow, &table, row->path, inRow};
    for (auto it = row->cell->subviews().rbegin(); it != row->cell->subviews().rend(); ++it) {
        Result inner = in(**it, inRow, onRow);
        if (inner.view) {
            if (!inner.keep) inner.keep = *it;
            return inner;
        }
    }
    return onRow;
}

}  // namespace kestrel
