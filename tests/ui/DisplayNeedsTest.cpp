#include "core/base/Bitmap.h"
#include "core/ui/AlertView.h"
#include "core/ui/DisplayNeeds.h"
#include "core/ui/ImageView.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/Switch.h"
#include "core/ui/TableView.h"
#include "core/ui/ViewController.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace kestrel {
namespace {

// A window as the core sees one: it counts the times it is told, and draws
// when the test says.
class DisplayNeedsTest : public ::testing::Test {
protected:
    DisplayNeedsTest() {
        DisplayNeeds::addObserver(this, [this] { ++told; });
        drawn();
    }
    ~DisplayNeedsTest() override {
        DisplayNeeds::removeObserver(this);
        AlertView::clearPending();
    }
    static void drawn() { const DisplayNeeds::Drawing drawing; }

    int told = 0;
};

TEST_F(DisplayNeedsTest, EveryKindOfChangeOfTheScreensAsksForOneDrawing) {
    auto root = std::make_shared<View>(Rect{0, 0, 320, 480});
    auto child = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto other = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto label = std::make_shared<Label>(Rect{0, 0, 100, 20});
    auto picture = std::make_shared<ImageView>(Rect{0, 0, 10, 10});
    auto toggle = std::make_shared<Switch>(Rect{0, 0, 80, 30});
    auto level = std::make_shared<IndicatorView>(Rect{0, 0, 100, 12});
    auto table = std::make_shared<TableView>();
    auto screen = std::make_shared<ViewController>();
    auto modal = std::make_shared<ViewController>();
    auto navigation = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    root->addSubview(other);
    drawn();

    const struct {
        const char* change;
        std::function<void()> make;
    } changes[] = {
        {"a view added", [&] { root->addSubview(child); }},
        {"a view brought to the front", [&] { root->bringSubviewToFront(child.get()); }},
        {"a view moved",
         [&] {
             child->setFrame(Rect{5, 5, 10, 10});
         }},
        {"a view centred",
         [&] {
             child->setCenter(Point{50, 50});
         }},
        {"a view turned", [&] { child->setTransform(View::Transform::rotated(1)); }},
        {"a view faded", [&] { child->setAlpha(0.5); }},
        {"a view hidden", [&] { child->setHidden(true); }},
        {"a view's colour",
         [&] {
             child->setBackgroundColor(Color{1, 0, 0, 1});
         }},
        {"a view's own drawing", [&] { child->setNeedsDisplay(); }},
        {"a view removed", [&] { child->removeFromSuperview(); }},
        {"a text", [&] { label->setText("3"); }},
        {"a picture", [&] { picture->setImage(Image(Bitmap(4, 4))); }},
        {"a switch", [&] { toggle->setOn(true); }},
        {"a level", [&] { level->setLevel(0.5f); }},
        {"a table reloaded", [&] { table->reloadData(); }},
        {"a screen presented", [&] { screen->presentModalViewController(modal, false); }},
        {"a screen dismissed", [&] { screen->dismissModalViewController(false); }},
        {"a screen pushed",
         [&] { navigation->pushViewController(std::make_shared<ViewController>(), false); }},
        {"a screen popped", [&] { navigation->popViewController(false); }},
        {"a title", [&] { navigation->topViewController().setTitle("Settings"); }},
        {"a bar button", [&] { navigation->topViewController().setDoneButton([] {}); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.change);
        told = 0;
        EXPECT_FALSE(DisplayNeeds::pending());
        c.make();
        EXPECT_TRUE(DisplayNeeds::pending());
        EXPECT_EQ(told, 1);
        drawn();
    }
}

TEST_F(DisplayNeedsTest, ManyChangesBeforeTheDrawingTellOnceAndAStillScreenNever) {
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto label = std::make_shared<Label>();
    view->addSubview(label);
    drawn();
    told = 0;
    // Nothing changes: nothing to draw, however long.
    EXPECT_FALSE(DisplayNeeds::pending());
    EXPECT_EQ(told, 0);
    for (int i = 0; i < 100; ++i) {
        view->setFrame(Rect{static_cast<float>(i), 0, 10, 10});
        label->setText(std::to_string(i));
    }
    EXPECT_EQ(told, 1);
    drawn();
    label->setText("again");
    EXPECT_EQ(told, 2);
}

TEST_F(DisplayNeedsTest, WhatChangesWhileTheWindowDrawsIsDrawnWithIt) {
    auto label = std::make_shared<Label>();
    {
        const DisplayNeeds::Drawing drawing;
        label->setText("the cell a table asks for as it is drawn");
        // Drawn from inside another drawing (a screenshot in a paint): still one drawing.
        { const DisplayNeeds::Drawing inner; }
        label->setText("still drawing");
    }
    EXPECT_EQ(told, 0);
    EXPECT_FALSE(DisplayNeeds::pending());
}

TEST_F(DisplayNeedsTest, AnAlertIsAnnouncedEvenWhileADrawingIsPending) {
    Label label;
    label.setText("changed");  // a drawing is pending now
    ASSERT_EQ(told, 1);
    AlertView::show(std::make_shared<AlertView>(AlertView::Kind::kAlert, "No camera", "",
                                                std::string("OK"), std::nullopt),
                    [](int) {});
    EXPECT_EQ(told, 2);
}

TEST_F(DisplayNeedsTest, ARemovedObserverIsToldNothingAndOneObserverPerOwner) {
    int second = 0;
    const int owner = 0;
    DisplayNeeds::addObserver(&owner, [&second] { ++second; });
    DisplayNeeds::addObserver(&owner, [&second] { second += 10; });  // replaces the first
    Label label;
    label.setText("a");
    EXPECT_EQ(told, 1);
    EXPECT_EQ(second, 10);
    DisplayNeeds::removeObserver(&owner);
    drawn();
    label.setText("b");
    EXPECT_EQ(told, 2);
    EXPECT_EQ(second, 10);
}

TEST_F(DisplayNeedsTest, AnObserverMayRemoveItselfWhenTold) {
    const int owner = 0;
    int calls = 0;
    DisplayNeeds::addObserver(&owner, [&] {
        ++calls;
        DisplayNeeds::removeObserver(&owner);
    });
    Label label;
    label.setText("a");
    drawn();
    label.setText("b");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace kestrel
