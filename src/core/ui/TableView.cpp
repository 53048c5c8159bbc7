#include "core/ui/TableView.h"

#include <algorithm>

namespace kestrel {

TableView::TableView(Rect frame, Style style)
    : View(frame), style_(style), builtWidth_(frame.width) {}

void TableView::fitCell(TableViewCell& cell) const {
    if (!cell.autoresizesSubviews()) return;
    cell.resizeWidth(std::max(0.0f, cell.builtWidth() + frame().width - builtWidth_));
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
    auto found = reuseQueue_.find(identifier);
    if (found == reuseQueue_.end() || found->second.empty()) return nullptr;
    std::shared_ptr<TableViewCell> cell = std::move(found->second.back());
    found->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

void TableView::enqueueReusableCell(std::shared_ptr<TableViewCell> cell) {
    if (!cell || cell->reuseIdentifier().empty()) return;
    cell->removeFromSuperview();
    reuseQueue_[cell->reuseIdentifier()].push_back(std::move(cell));
}

void TableView::reloadData() {
    ++reloadGeneration_;
    setNeedsDisplay();
}

void TableView::selectRow(IndexPath path) {
    selected_ = path;
    if (dataSource_) dataSource_->didSelectRow(*this, path);
}

void TableView::deselectRow(IndexPath path, bool) {
    if (selected_ && *selected_ == path) selected_.reset();
}

void TableView::scrollToRow(IndexPath path, bool animated) {
    scrollTarget_ = path;
    scrollAnimated_ = animated;
    setNeedsDisplay();
}

int TableView::totalRows() {
    if (!dataSource_) return 0;
    int total = 0;
    for (int s = 0; s < dataSource_->numberOfSections(*this); ++s)
        total += dataSource_->numberOfRows(*this, s);
    return total;
}

}  // namespace kestrel
