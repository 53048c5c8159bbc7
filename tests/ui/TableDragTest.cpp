#include "core/ui/TableDrag.h"
#include "core/ui/TableView.h"
#include "core/ui/ViewController.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class TallTable final : public TableViewDataSource {
public:
    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int) override { return 40; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath) override {
        return std::make_shared<TableViewCell>(Rect{0, 0, 320, 44});
    }
};

TEST(TableDragTest, AFingerTapsUntilItMovesSixPointsThenScrollsWithTheTable) {
    TableView table(Rect{0, 0, 320, 400});
    TallTable rows;
    table.setDataSource(&rows);
    table.layOut();
    TableDrag drag;
    drag.press(Point{100, 300}, &table);
    using Step = TableDrag::Step;
    const struct {
        Point to;
        Step step;
        float offset;
    } moves[] = {
        {{140, 306}, Step::kTouch, 0},        // sideways and 6 down: still a tap
        {{100, 294}, Step::kTouch, 0},        // 6 up
        {{100, 293}, Step::kBecameScroll, 1},  // 7 up: a scroll, with all the move since the last
        {{100, 250}, Step::kScrolls, 44},
        {{100, 310}, Step::kScrolls, 0},      // back down past the top: held at the top
    };
    for (const auto& m : moves) {
        EXPECT_EQ(drag.move(m.to), m.step) << m.to.y;
        EXPECT_FLOAT_EQ(table.layout().offset(), m.offset) << m.to.y;
    }
    EXPECT_TRUE(drag.scrolling());
    drag.end();
    EXPECT_FALSE(drag.scrolling());
    // Outside any table a finger never scrolls.
    drag.press(Point{100, 300}, nullptr);
    EXPECT_EQ(drag.move(Point{100, 100}), Step::kTouch);
}

// A wheel that scrolls the held table makes the touch a scroll, once; on
// another table, or once the touch has ended, it changes nothing.
TEST(TableDragTest, AWheelUnderTheHeldFingerMakesItAScroll) {
    TableView table(Rect{0, 0, 320, 400});
    TableView other(Rect{0, 0, 320, 400});
    TableDrag drag;
    using Step = TableDrag::Step;
    drag.press(Point{100, 300}, &table);
    EXPECT_EQ(drag.scrolledUnder(&other), Step::kTouch);
    EXPECT_EQ(drag.scrolledUnder(&table), Step::kBecameScroll);
    EXPECT_EQ(drag.scrolledUnder(&table), Step::kScrolls);
    EXPECT_TRUE(drag.scrolling());
    drag.end();
    EXPECT_EQ(drag.scrolledUnder(&table), Step::kTouch);
    EXPECT_FALSE(drag.scrolling());
}

TEST(NavigationBarTest, TheBarsTapZonesGoBackOrPressTheRightButton) {
    auto root = std::make_shared<ViewController>();
    root->setTitle("Settings");
    NavigationController navigation(root);
    navigation.layOut(ScreenLayout(Size{1280, 720}));
    auto detail = std::make_shared<ViewController>();
    int pressed = 0;
    auto done = std::make_shared<Button>();
    done->setAction([&](Button&) { ++pressed; });
    detail->setRightBarButton(done);
    EXPECT_FALSE(navigation.tapBar(Point{20, 30}));  // nothing to go back to
    navigation.pushViewController(detail, false);
    EXPECT_FALSE(navigation.tapBar(Point{640, 20}));  // the title
    EXPECT_TRUE(navigation.tapBar(Point{1270, 40}));  // the right button, at the window's right end
    EXPECT_EQ(pressed, 1);
    done->setHidden(true);
    EXPECT_FALSE(navigation.tapBar(Point{1270, 40}));
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(navigation.tapBar(Point{89, 43}));  // back
    EXPECT_EQ(navigation.depth(), 1u);
}

}  // namespace
}  // namespace kestrel
