#include "core/ui/Button.h"
#include "core/ui/ImageView.h"
#include "core/ui/Label.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"
#include "core/ui/TableView.h"
#include "core/ui/ViewController.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace kestrel {
namespace {

// A responder that notes what reached it.
class Recorder final : public Responder {
public:
    void touchesBegan(const Touch& t) override { seen.push_back("began " + where(t)); }
    void touchesEnded(const Touch& t) override {
        seen.push_back("ended " + std::to_string(t.tapCount));
    }
    void touchesCancelled(const Touch&) override { seen.push_back("cancelled"); }
    static std::string where(const Touch& t) {
        return std::to_string(static_cast<int>(t.location.x)) + "," +
               std::to_string(static_cast<int>(t.location.y));
    }
    std::vector<std::string> seen;
};

class Surface final : public View {
public:
    using View::View;
    Responder* nextResponder() const override { return target; }
    Responder* target = nullptr;
};

TEST(ResponderTest, PicturesAndLabelsLetTouchesThroughButtonsTakeThem) {
    EXPECT_FALSE(ImageView().userInteractionEnabled());
    EXPECT_FALSE(Label().userInteractionEnabled());
    EXPECT_TRUE(View().userInteractionEnabled());
    EXPECT_TRUE(Button().userInteractionEnabled());
    Label told;
    told.setUserInteractionEnabled(true);
    EXPECT_TRUE(told.userInteractionEnabled());
}

TEST(ResponderTest, UnhandledTouchesClimbToTheControllerThenItsNextResponder) {
    Recorder camera;
    ViewController screen;
    auto surface = std::make_shared<Surface>(Rect{0, 0, 320, 427});
    surface->target = &camera;
    screen.view().addSubview(surface);
    auto plain = std::make_shared<View>(Rect{10, 10, 50, 50});
    surface->addSubview(plain);

    // A plain view does nothing with a touch: it climbs to the surface, whose
    // next responder is the camera.
    plain->touchesBegan(Touch{plain.get(), Point{5, 5}, 1});
    plain->touchesEnded(Touch{plain.get(), Point{5, 5}, 2});
    EXPECT_EQ(camera.seen, (std::vector<std::string>{"began 5,5", "ended 2"}));

    // The screen's own view goes to its controller, and the controller to the
    // one that presented it.
    EXPECT_EQ(screen.view().nextResponder(), &screen);
    auto shown = std::make_shared<ViewController>();
    screen.presentModalViewController(shown, false);
    EXPECT_EQ(shown->nextResponder(), &screen);
    EXPECT_EQ(plain->nextResponder(), surface.get());
}

TEST(ResponderTest, LocationsClimbThroughFramesTurnsAndScales) {
    View root(Rect{0, 0, 320, 480});
    auto panel = std::make_shared<View>(Rect{100, 100, 100, 20});  // centre (150, 110)
    root.addSubview(panel);
    auto inside = std::make_shared<View>(Rect{80, 0, 20, 20});
    panel->addSubview(inside);

    const Touch touch{inside.get(), Point{10, 10}, 1};
    EXPECT_FLOAT_EQ(touch.locationIn(*panel).x, 90);
    EXPECT_FLOAT_EQ(touch.locationIn(root).x, 190);
    EXPECT_FLOAT_EQ(touch.locationIn(root).y, 110);

    // A quarter turn clockwise (the y axis points down): the panel's right end
    // goes to the bottom.
    panel->setTransform(View::Transform::rotated(std::numbers::pi / 2));
    const Point turned = touch.locationIn(root);
    EXPECT_NEAR(turned.x, 150, 1e-3);
    EXPECT_NEAR(turned.y, 150, 1e-3);
    panel->setTransform(View::Transform::scaled(0.5));
    EXPECT_NEAR(touch.locationIn(root).x, 170, 1e-3);

    View stranger;
    EXPECT_FLOAT_EQ(touch.locationIn(stranger).x, 10);  // not an ancestor: as given
}

TEST(ResponderTest, ControlsActOnTheTouchThatEndsOnThem) {
    Button button(Rect{0, 0, 60, 40});
    int pressed = 0;
    button.setAction([&](Button&) { ++pressed; });
    button.touchesBegan(Touch{&button, Point{30, 20}, 1});
    button.touchesEnded(Touch{&button, Point{30, 20}, 1});
    button.touchesEnded(Touch{&button, Point{30, 20}, 2});  // once per tap
    button.touchesEnded(Touch{&button, Point{90, 20}, 1});  // lifted outside: nothing
    EXPECT_EQ(pressed, 2);

    Switch toggle(Rect{0, 0, 94, 27});
    toggle.touchesEnded(Touch{&toggle, Point{10, 10}, 1});
    EXPECT_TRUE(toggle.isOn());

    SegmentedControl segments(Rect{0, 0, 300, 30}, {"a", "b", "c"});
    segments.touchesEnded(Touch{&segments, Point{250, 10}, 1});
    EXPECT_EQ(segments.selectedSegmentIndex(), 2);
    segments.touchesEnded(Touch{&segments, Point{-20, 10}, 1});
    EXPECT_EQ(segments.selectedSegmentIndex(), 0);
}

class OneRow final : public TableViewDataSource {
public:
    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int) override { return 3; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath) override {
        return std::make_shared<TableViewCell>();
    }
    void didSelectRow(TableView&, IndexPath path) override { selected.push_back(path.row); }
    std::vector<int> selected;
};

TEST(ResponderTest, ATapOnACellSelectsItsRowUnlessTheCellTakesIt) {
    OneRow rows;
    TableView table(Rect{0, 0, 320, 400});
    table.setDataSource(&rows);
    auto cell = std::make_shared<TableViewCell>();
    cell->placeInTable(&table, 0, 2);
    View& content = cell->contentView();
    content.touchesEnded(Touch{&content, Point{20, 20}, 1});  // climbs to the cell
    EXPECT_EQ(rows.selected, std::vector<int>{2});
}

}  // namespace
}  // namespace kestrel
