#include "core/ui/TableLayout.h"

#include "core/ui/TableView.h"

#include <algorithm>
#include <utility>

namespace kestrel {
namespace {

bool containsPoint(const Rect& r, Point p) {
    return p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}

}  // namespace

void TableLayout::update(TableView& table) {
    TableViewDataSource* source = table.dataSource();
    std::vector<Row> previous = std::exchange(rows_, {});
    headers_.clear();
    const bool reloaded = generation_ != table.reloadGeneration();
    generation_ = table.reloadGeneration();
    if (!source) {
        contentHeight_ = 0;
        offset_ = 0;
        for (auto& old : previous)
            if (old.cell) table.enqueueReusableCell(std::move(old.cell));
        return;
    }
    const bool grouped = table.style() == TableView::Style::kGrouped;
    const float inset = grouped ? kGroupedInset : 0.0f;
    const float width = table.frame().width - 2 * inset;
    const float height = table.frame().height;

    std::vector<std::pair<IndexPath, Rect>> placed;
    float y = grouped ? kGroupedInset : 0;
    for (int s = 0; s < source->numberOfSections(table); ++s) {
        const int count = source->numberOfRows(table, s);
        if (auto title = source->titleForHeader(table, s)) {
            headers_.push_back({Rect{inset + 8, y, width - 16, kHeaderHeight}, std::move(*title)});
            y += kHeaderHeight;
        }
        for (int r = 0; r < count; ++r) {
            const float h = source->heightForRow(table, IndexPath{s, r});
            placed.push_back({IndexPath{s, r}, Rect{inset, y, width, h}});
            y += h;
        }
        if (grouped && count > 0) y += kGroupedGap;
    }
    contentHeight_ = y;
    // A row asked for is brought in at the bottom, once per reload.
    if (reloaded && table.scrollTarget() && appliedScroll_ != table.scrollTarget()) {
        for (const auto& [path, rect] : placed)
            if (path == *table.scrollTarget()) offset_ = std::max(0.0f, rect.y + rect.height - height);
        appliedScroll_ = table.scrollTarget();
    }
    scrollBy(0, height);

    std::erase_if(placed, [&](const auto& row) {
        const Rect& rect = row.second;
        return rect.y + rect.height < offset_ || rect.y > offset_ + height;
    });
    // Rows still in view keep their cells; the others' cells go back to
    // the table before any new one is asked for, so they can be reused.
    std::vector<std::shared_ptr<TableViewCell>> cells(placed.size());
    if (!reloaded)
        for (std::size_t i = 0; i < placed.size(); ++i)
            for (auto& old : previous)
                if (old.path == placed[i].first && old.cell) cells[i] = std::move(old.cell);
    for (auto& old : previous)
        if (old.cell) table.enqueueReusableCell(std::move(old.cell));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const auto& [path, rect] = placed[i];
        std::shared_ptr<TableViewCell> cell =
            cells[i] ? std::move(cells[i]) : source->cellForRow(table, path);
        if (!cell) continue;
        table.fitCell(*cell);
        cell->placeInTable(&table, path.section, path.row);
        rows_.push_back({path, std::move(cell), rect});
    }
}

void TableLayout::scrollBy(float dy, float height) {
    offset_ = std::clamp(offset_ + dy, 0.0f, std::max(0.0f, contentHeight_ - height));
}

const TableLayout::Row* TableLayout::rowAt(Point inTable) const {
    const Point inContent{inTable.x, inTable.y + offset_};
    for (const Row& row : rows_)
        if (containsPoint(row.rect, inContent)) return &row;
    return nullptr;
}

}  // namespace kestrel
