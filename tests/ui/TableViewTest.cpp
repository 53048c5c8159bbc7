#include "core/ui/Label.h"
#include "core/ui/TableView.h"
#include "core/ui/TableViewCell.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kestrel {
namespace {

using Autoresizing = View::Autoresizing;

// A settings row as the screens build them for the phone's 300-point rows:
// a title across, a switch at the right end, a mark in the middle, a fixed icon.
struct Row {
    std::shared_ptr<TableViewCell> cell = std::make_shared<TableViewCell>(Rect{0, 0, 300, 62});
    std::shared_ptr<Label> title = std::make_shared<Label>(Rect{10, 18, 180, 26});
    std::shared_ptr<View> toggle = std::make_shared<View>(Rect{196, 17, 94, 27});
    std::shared_ptr<View> mark = std::make_shared<View>(Rect{140, 4, 20, 10});
    std::shared_ptr<View> icon = std::make_shared<View>(Rect{4, 4, 10, 10});
    Row() {
        title->setAutoresizing(Autoresizing::kFlexibleWidth);
        toggle->setAutoresizing(Autoresizing::kFlexibleLeftMargin);
        mark->setAutoresizing(Autoresizing::kFlexibleMargins);
        for (const auto& view : {std::shared_ptr<View>(title), toggle, mark, icon})
            cell->contentView().addSubview(view);
    }
};

TEST(TableViewTest, AWiderTableStretchesItsRowsAndTheirViewsFollow) {
    TableView table(Rect{0, 0, 320, 416}, TableView::Style::kGrouped);
    Row row;
    table.fitCell(*row.cell);  // as wide as it was built: nothing moves
    EXPECT_EQ(row.cell->frame().width, 300);
    EXPECT_EQ(row.toggle->frame(), (Rect{196, 17, 94, 27}));

    table.setFrame(Rect{0, 0, 480, 676});  // the reading column of a laptop's window
    table.fitCell(*row.cell);
    EXPECT_EQ(row.cell->frame().width, 460);
    EXPECT_EQ(row.cell->contentView().frame().width, 460);
    EXPECT_EQ(row.title->frame(), (Rect{10, 18, 340, 26}));
    EXPECT_EQ(row.toggle->frame(), (Rect{356, 17, 94, 27}));  // still 10 from the right end
    EXPECT_EQ(row.mark->frame(), (Rect{220, 4, 20, 10}));     // still in the middle
    EXPECT_EQ(row.icon->frame(), (Rect{4, 4, 10, 10}));
    table.fitCell(*row.cell);  // drawn again: stretched once, not twice
    EXPECT_EQ(row.toggle->frame().x, 356);

    // Narrowed again (a window made smaller): back where they were built.
    table.setFrame(Rect{0, 0, 320, 416});
    table.fitCell(*row.cell);
    EXPECT_EQ(row.cell->frame().width, 300);
    EXPECT_EQ(row.title->frame(), (Rect{10, 18, 180, 26}));
    EXPECT_EQ(row.toggle->frame(), (Rect{196, 17, 94, 27}));
    EXPECT_EQ(row.mark->frame(), (Rect{140, 4, 20, 10}));
    // Narrower than the phone's: the switch still at the right end, inside the row.
    table.setFrame(Rect{0, 0, 240, 316});
    table.fitCell(*row.cell);
    EXPECT_EQ(row.cell->frame().width, 220);
    EXPECT_EQ(row.title->frame(), (Rect{10, 18, 100, 26}));
    EXPECT_EQ(row.toggle->frame(), (Rect{116, 17, 94, 27}));
}

// A row of buttons spread across keeps each button's share of the width.
TEST(TableViewTest, ButtonsSpreadAcrossTheRowKeepTheirShares) {
    TableView table(Rect{0, 0, 320, 416}, TableView::Style::kGrouped);
    Row row;
    std::vector<std::shared_ptr<View>> buttons;
    for (int i = 0; i < 5; ++i) {
        auto button = std::make_shared<View>(Rect{10.0f + 60 * static_cast<float>(i), 68, 40, 42});
        button->setAutoresizing(Autoresizing::kProportional);
        row.cell->contentView().addSubview(button);
        buttons.push_back(button);
    }
    table.setFrame(Rect{0, 0, 470, 416});  // rows of 450: half as wide again
    table.fitCell(*row.cell);
    EXPECT_EQ(buttons[0]->frame(), (Rect{15, 68, 60, 42}));
    EXPECT_EQ(buttons[4]->frame(), (Rect{375, 68, 60, 42}));
    table.setFrame(Rect{0, 0, 320, 416});
    table.fitCell(*row.cell);
    EXPECT_EQ(buttons[4]->frame(), (Rect{250, 68, 40, 42}));
}

TEST(TableViewTest, ARowItsScreenLaysOutIsNotStretched) {
    TableView table(Rect{0, 0, 320, 416});
    Row row;
    row.cell->setAutoresizesSubviews(false);
    table.setFrame(Rect{0, 0, 1280, 676});
    table.fitCell(*row.cell);
    EXPECT_EQ(row.cell->frame().width, 300);
    EXPECT_EQ(row.toggle->frame().x, 196);
}

}  // namespace
}  // namespace kestrel
