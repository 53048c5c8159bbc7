#pragma once

#include "core/ui/IndexPath.h"
#include "core/ui/TableLayout.h"
#include "core/ui/TableViewCell.h"
#include "core/ui/View.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class TableView;

// What a table asks of its screen: the sections and rows, each row's cell
// and height, section headers, and what a selected row does.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSections(TableView& table) = 0;
    virtual int numberOfRows(TableView& table, int section) = 0;
    virtual std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) = 0;
    virtual float heightForRow(TableView& table, IndexPath path) {
        (void)table;
        (void)path;
        return 44;
    }
    virtual std::optional<std::string> titleForHeader(TableView& table, int section) {
        (void)table;
        (void)section;
        return std::nullopt;
    }
    virtual void didSelectRow(TableView& table, IndexPath path) {
        (void)table;
        (void)path;
    }
};

// A scrolling list of rows in sections, drawn by the renderer from its data
// source and its layout. Cells that scroll out are handed back for reuse by
// identifier.
class TableView : public View {
public:
    enum class Style { kPlain, kGrouped };

    explicit TableView(Rect frame = Rect{0, 0, 320, 480}, Style style = Style::kPlain);
    std::string typeName() const override { return "TableView"; }

    Style style() const { return style_; }
    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(TableViewDataSource* source) { dataSource_ = source; }

    // A cell waiting for reuse under `identifier`, prepared; none when none waits.
    std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);
    // The renderer gives back a cell it no longer shows.
    void enqueueReusableCell(std::shared_ptr<TableViewCell> cell);
    // Asks the renderer to ask the data source again.
    void reloadData();
    unsigned reloadGeneration() const { return reloadGeneration_; }

    // The user taps a row: it is selected and the data source told.
    void selectRow(IndexPath path);
    void deselectRow(IndexPath path, bool animated);
    const std::optional<IndexPath>& selectedRow() const { return selected_; }

    // Where the renderer should scroll: the row to bring into view at the bottom.
    void scrollToRow(IndexPath path, bool animated);
    const std::optional<IndexPath>& scrollTarget() const { return scrollTarget_; }
    bool scrollAnimated() const { return scrollAnimated_; }

    // Rows are built for the table's first width (the phone screen's): a
    // table made wider or narrower stretches or narrows each row it shows by
    // as much.
    void fitCell(TableViewCell& cell) const;

    // Convenience for tests and the renderer: the total rows.
    int totalRows();

    // Where its rows lie and how far it is scrolled, as last laid out.
    TableLayout& layout() { return layout_; }
    const TableLayout& layout() const { return layout_; }
    // Lays the rows out for the next paint.
    void layOut() { layout_.update(*this); }
    // A drag or a wheel: scrolls by `dy` points within the content.
    void scrollBy(float dy) { layout_.scrollBy(dy, frame().height); }

private:
    Style style_;
    float builtWidth_;
    TableViewDataSource* dataSource_ = nullptr;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reuseQueue_;
    unsigned reloadGeneration_ = 0;
    std::optional<IndexPath> selected_;
    std::optional<IndexPath> scrollTarget_;
    bool scrollAnimated_ = false;
    TableLayout layout_;
};

}  // namespace kestrel
