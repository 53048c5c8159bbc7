#include "core/ui/Accessibility.h"
#include "core/ui/Button.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"
#include "core/ui/TableView.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Role = Accessibility::Role;

TEST(AccessibilityTest, EachKindOfViewHasItsRole) {
    const struct {
        std::shared_ptr<View> view;
        Role role;
    } cases[] = {
        {std::make_shared<Button>(), Role::kButton},
        {std::make_shared<Switch>(), Role::kSwitch},
        {std::make_shared<SegmentedControl>(), Role::kSegment},
        {std::make_shared<IndicatorView>(), Role::kLevel},
        {std::make_shared<Label>(), Role::kLabel},
        {std::make_shared<TableView>(), Role::kTable},
        {std::make_shared<View>(), Role::kNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Accessibility::roleOf(*c.view), c.role) << c.view->typeName();
}

TEST(AccessibilityTest, AButtonIsNamedByItsNameElseForWhatItsPictureDoes) {
    Button shutter;
    shutter.setImage("camera.png", Button::kNormal);
    EXPECT_EQ(Accessibility::buttonName(shutter), "Take Picture");
    shutter.setName("Shoot");
    EXPECT_EQ(Accessibility::buttonName(shutter), "Shoot");
    Button unknown;
    unknown.setImage("odd.png", Button::kNormal);
    EXPECT_EQ(Accessibility::buttonName(unknown), "Button");
}

TEST(AccessibilityTest, RowsAndTheirSwitchesAreNamedByWhatTheRowSays) {
    const struct {
        const char* title;
        const char* inner;  // a label inside the row's content
        const char* detail;
        const char* name;
        const char* spokenDetail;
    } cases[] = {
        {"Auto Save", "", "", "Auto Save", ""},
        {"", "Sepia", "", "Sepia", ""},  // no title: the first text inside
        {"", "", "3 s", "3 s", ""},      // only a detail: the detail, said once
        {"Delay", "", "3 s", "Delay", "3 s"},
        {"", "", "", "Row", ""},
    };
    for (const auto& c : cases) {
        TableViewCell cell(Rect{0, 0, 300, 44});
        if (*c.title) cell.textLabel().setText(c.title);
        if (*c.detail) cell.detailTextLabel().setText(c.detail);
        if (*c.inner) {
            auto label = std::make_shared<Label>(Rect{10, 10, 100, 20});
            label->setText(c.inner);
            cell.contentView().addSubview(label);
        }
        auto toggle = std::make_shared<Switch>(Rect{200, 8, 90, 28});
        cell.contentView().addSubview(toggle);
        const Accessibility::RowName name = Accessibility::rowName(cell);
        EXPECT_EQ(name.name, c.name);
        EXPECT_EQ(name.detail, c.spokenDetail) << c.name;
        const bool titled = *c.title || *c.inner || *c.detail;  // any text in the row
        EXPECT_EQ(Accessibility::switchName(*toggle), titled ? std::string(name.name) : "Switch")
            << c.name;
    }
    EXPECT_EQ(Accessibility::switchName(Switch()), "Switch");  // in no row at all
}

TEST(AccessibilityTest, TheBackButtonAndTheLevelSayWhereAndHowMuch) {
    EXPECT_EQ(Accessibility::backName("Settings"), "Back to Settings");
    EXPECT_EQ(Accessibility::backName(""), "Back to the previous screen");
    EXPECT_EQ(Accessibility::levelValue(0.424f), "42%");
    EXPECT_EQ(Accessibility::levelValue(0.425f), "43%");
    EXPECT_EQ(Accessibility::levelValue(1.0f), "100%");
}

}  // namespace
}  // namespace kestrel
