#include "core/ui/Button.h"
#include "core/ui/HitTest.h"
#include "core/ui/TableView.h"

#include <gtest/gtest.h>

#include <numbers>

namespace kestrel {
namespace {

std::shared_ptr<View> touchable(Rect frame) {
    auto view = std::make_shared<View>(frame);
    view->setUserInteractionEnabled(true);
    return view;
}

TEST(HitTestTest, TheTouchGoesToTheFrontmostViewThatTakesIt) {
    auto screen = touchable(Rect{0, 0, 320, 480});
    auto below = touchable(Rect{0, 0, 100, 100});
    auto above = touchable(Rect{50, 50, 100, 100});
    screen->addSubview(below);
    screen->addSubview(above);
    const struct {
        const char* what;
        std::function<void()> change;
        View* expected;
    } cases[] = {
        {"the front one", [] {}, above.get()},
        {"hidden", [&] { above->setHidden(true); }, below.get()},
        {"at alpha 0.01", [&] { above->setAlpha(0.01); }, below.get()},
        {"at alpha 0.02", [&] { above->setAlpha(0.02); }, above.get()},
        {"taking no touches", [&] { above->setUserInteractionEnabled(false); }, below.get()},
        {"its parent taking none", [&] { screen->setUserInteractionEnabled(false); }, nullptr},
    };
    for (const auto& c : cases) {
        above->setHidden(false);
        above->setAlpha(1);
        above->setUserInteractionEnabled(true);
        screen->setUserInteractionEnabled(true);
        c.change();
        const HitTest::Result hit = HitTest::at(*screen, Point{60, 60}, screen);
        EXPECT_EQ(hit.view, c.expected) << c.what;
        if (hit.view) {
            EXPECT_EQ(hit.keep.get(), hit.view) << c.what;  // held while touched
        }
    }
    screen->setUserInteractionEnabled(true);
    const HitTest::Result onScreen = HitTest::at(*screen, Point{300, 400}, screen);
    EXPECT_EQ(onScreen.view, screen.get());
    EXPECT_EQ(onScreen.keep, screen);
    EXPECT_EQ(onScreen.local, (Point{300, 400}));
}

TEST(HitTestTest, ATurnedOrScaledViewIsTouchedWhereItIsDrawn) {
    View view(Rect{100, 100, 80, 40});
    view.setTransform(View::Transform{std::numbers::pi / 2, 1, 1});  // a quarter turn
    // The drawn view now stands 40 wide and 80 tall about the same centre.
    EXPECT_FALSE(HitTest::inside(view, Point{105, 120}));
    EXPECT_TRUE(HitTest::inside(view, Point{140, 85}));
    for (const Point p : {Point{1, 1}, Point{79, 39}, Point{40, 20}, Point{10, 30}}) {
        const auto back = HitTest::inside(view, view.toSuperview(p));
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->x, p.x, 1e-3);
        EXPECT_NEAR(back->y, p.y, 1e-3);
    }
    view.setTransform(View::Transform{0, 2, 0.5});
    const auto scaled = HitTest::inside(view, view.toSuperview(Point{70, 5}));
    ASSERT_TRUE(scaled);
    EXPECT_NEAR(scaled->x, 70, 1e-3);
    view.setTransform(View::Transform{0, 0, 1});  // scaled to nothing
    EXPECT_FALSE(HitTest::inside(view, Point{140, 120}));
}

class OneSection final : public TableViewDataSource {
public:
    std::shared_ptr<Button> control = std::make_shared<Button>(Rect{200, 5, 80, 30});
    int count = 10;
    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int) override { return count; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath path) override {
        auto cell = std::make_shared<TableViewCell>(Rect{0, 0, 320, 44});
        if (path.row == 2) cell->addSubview(control);
        return cell;
    }
};

TEST(HitTestTest, InATableAControlInARowTakesTheTouchThenTheRowThenTheTable) {
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 200});
    OneSection rows;
    table->setDataSource(&rows);
    table->layOut();
    const HitTest::Result control = HitTest::at(*table, Point{210, 2 * 44 + 10}, table);
    EXPECT_EQ(control.view, rows.control.get());
    EXPECT_EQ(control.table, table.get());
    EXPECT_EQ(control.row, (IndexPath{0, 2}));
    EXPECT_EQ(control.inRow, (Point{210, 10}));
    EXPECT_EQ(control.local, (Point{10, 5}));
    // Scrolled by 20 points: the same screen point lies 20 points further down the rows.
    table->scrollBy(20);
    table->layOut();
    const HitTest::Result row = HitTest::at(*table, Point{20, 44 + 30}, table);
    EXPECT_EQ(row.row, (IndexPath{0, 2}));
    EXPECT_EQ(row.inRow, (Point{20, 6}));
    ASSERT_TRUE(row.view);
    EXPECT_EQ(row.keep.get(), row.view);  // the cell, held while touched
    // Past the last row: the table itself, to scroll.
    table->setFrame(Rect{0, 0, 320, 600});
    table->layOut();
    const HitTest::Result below = HitTest::at(*table, Point{20, 500}, table);
    EXPECT_EQ(below.view, table.get());
    EXPECT_FALSE(below.row);
}

// A touch that comes before the table is drawn again finds the rows as
// they are now: scrolled by a drag or a wheel, or fewer after a reload.
TEST(HitTestTest, ATableIsTouchedAsItIsNowNotAsItWasLastDrawn) {
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 200});
    OneSection rows;
    table->setDataSource(&rows);
    table->layOut();
    const struct {
        const char* what;
        std::function<void()> change;
        Point at;
        std::optional<IndexPath> row;
    } cases[] = {
        {"scrolled down into rows not drawn yet", [&] { table->scrollBy(300); }, Point{20, 180},
         IndexPath{0, 9}},  // to the end, 240 points: 420 points down the rows
        {"three rows left",
         [&] {
             table->scrollBy(-240);
             table->layOut();
             rows.count = 3;
             table->reloadData();
         },
         Point{20, 150}, std::nullopt},  // below the third row: the table
    };
    for (const auto& c : cases) {
        c.change();
        const HitTest::Result hit = HitTest::at(*table, c.at, table);
        EXPECT_EQ(hit.row, c.row) << c.what;
        EXPECT_EQ(hit.table, table.get()) << c.what;
    }
}

}  // namespace
}  // namespace kestrel
