#include "core/ui/TableLayout.h"
#include "core/ui/TableView.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace kestrel {
namespace {

// Two sections of 44-point rows, the first with a header; counts the cells
// it is asked for, reusing those the table gives back.
class Rows final : public TableViewDataSource {
public:
    int first = 3;
    int second = 20;
    int asked = 0;
    int reused = 0;
    int numberOfSections(TableView&) override { return 2; }
    int numberOfRows(TableView&, int section) override { return section == 0 ? first : second; }
    std::optional<std::string> titleForHeader(TableView&, int section) override {
        return section == 0 ? std::optional<std::string>("Photo") : std::nullopt;
    }
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath) override {
        ++asked;
        if (auto cell = table.dequeueReusableCell("row")) {
            ++reused;
            return cell;
        }
        return std::make_shared<TableViewCell>(Rect{0, 0, 300, 44}, "row");
    }
};

class TableLayoutTest : public ::testing::Test {
protected:
    TableLayoutTest() {
        table.setDataSource(&rows);
        table.layOut();
    }
    std::vector<IndexPath> shown() const {
        std::vector<IndexPath> paths;
        for (const auto& row : table.layout().rows())
            paths.push_back(row.path);
        return paths;
    }
    Rows rows;
    TableView table{Rect{0, 0, 320, 200}, TableView::Style::kGrouped};
};

TEST_F(TableLayoutTest, GroupedSectionsLieInsideTheirMarginsWithHeadersAndGaps) {
    const TableLayout& layout = table.layout();
    ASSERT_EQ(layout.headers().size(), 1u);
    EXPECT_EQ(layout.headers()[0].rect, (Rect{18, 10, 284, 36}));
    EXPECT_EQ(layout.headers()[0].text, "Photo");
    ASSERT_FALSE(layout.rows().empty());
    EXPECT_EQ(layout.rows()[0].rect, (Rect{10, 46, 300, 44}));
    // 10 + 36 + 3 × 44 + 20, then 20 rows and the last gap.
    EXPECT_FLOAT_EQ(layout.contentHeight(), 10 + 36 + 132 + 20 + 880 + 20);
    // Only the rows in 200 points are asked for: 0.0 to 0.2 and 1.0.
    EXPECT_EQ(shown(), (std::vector<IndexPath>{{0, 0}, {0, 1}, {0, 2}, {1, 0}}));
    EXPECT_EQ(rows.asked, 4);
}

TEST_F(TableLayoutTest, ARowKeepsItsCellInViewAndCellsScrolledOutAreReused) {
    const TableViewCell* firstCell = table.layout().rows()[0].cell.get();
    table.layOut();
    EXPECT_EQ(rows.asked, 4);  // nothing scrolled, nothing reloaded: no cell asked again
    EXPECT_EQ(table.layout().rows()[0].cell.get(), firstCell);
    table.scrollBy(300);
    table.layOut();
    EXPECT_EQ(table.layout().offset(), 300);
    EXPECT_EQ(shown().front(), (IndexPath{1, 2}));
    EXPECT_GT(rows.reused, 0);  // the rows scrolled away gave their cells back
    table.reloadData();
    const int before = rows.asked;
    table.layOut();
    EXPECT_EQ(rows.asked - before, static_cast<int>(shown().size()));  // a reload asks for every shown row
}

TEST_F(TableLayoutTest, ScrollingStopsAtTheTopAndAtTheContentsEnd) {
    const float end = table.layout().contentHeight() - 200;
    const struct {
        float dy;
        float offset;
    } steps[] = {{-50, 0}, {120, 120}, {5000, end}, {-20, end - 20}};
    for (const auto& step : steps) {
        table.scrollBy(step.dy);
        EXPECT_FLOAT_EQ(table.layout().offset(), step.offset) << "after " << step.dy;
    }
    // Rows taken away: the offset comes back inside the shorter content.
    rows.second = 1;
    table.reloadData();
    table.layOut();
    EXPECT_FLOAT_EQ(table.layout().offset(), 62);  // 262 points of content in 200
}

TEST_F(TableLayoutTest, ARowAskedForComesInAtTheBottomOncePerReload) {
    table.scrollToRow(IndexPath{1, 10}, false);
    table.reloadData();
    table.layOut();
    // Row 1.10 ends at 10 + 36 + 132 + 20 + 11 × 44 = 682: at the bottom of 200 points.
    EXPECT_FLOAT_EQ(table.layout().offset(), 482);
    table.scrollBy(-100);
    table.layOut();
    EXPECT_FLOAT_EQ(table.layout().offset(), 382);  // the user's scroll stands
}

TEST_F(TableLayoutTest, APointFindsTheRowUnderItAsScrolled) {
    const struct {
        float scrolled;
        Point point;
        std::optional<IndexPath> row;
    } cases[] = {
        {0, {20, 50}, IndexPath{0, 0}},  {0, {20, 20}, std::nullopt},  // the header
        {0, {5, 50}, std::nullopt},  // the margin
        {0, {20, 185}, std::nullopt},  // the gap between sections
        {0, {20, 199}, IndexPath{1, 0}}, {44, {20, 50}, IndexPath{0, 1}},
    };
    for (const auto& c : cases) {
        table.scrollBy(-10000);
        table.scrollBy(c.scrolled);
        table.layOut();
        const TableLayout::Row* row = table.layout().rowAt(c.point);
        EXPECT_EQ(row ? std::optional(row->path) : std::nullopt, c.row)
            << "at " << c.point.x << "," << c.point.y << " scrolled " << c.scrolled;
    }
}

}  // namespace
}  // namespace kestrel
