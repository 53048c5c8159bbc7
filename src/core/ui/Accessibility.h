#pragma once

#include <string>

namespace kestrel {

class Button;
class TableViewCell;
class View;

// What assistive technology and keyboard focus make of a view: its role,
// and the name a screen reader says for it. A button that shows only a
// picture is named for what it does; a switch for the row it sits in; a
// row by its title, else the first text inside it, else its detail.
class Accessibility {
public:
    enum class Role {
        kNone,  // seen through: its subviews count on their own
        kButton,
        kSwitch,
        kSegment,  // a segmented control: each of its segments an element
        kRow,
        kLabel,
        kLevel,
        kTable,  // its rows in view are elements
        kBack,   // the navigation bar's back button
        kBarButton,
    };
    struct RowName {
        std::string name;
        std::string detail;  // empty when it is the name itself
    };

    static Role roleOf(const View& view);
    static std::string buttonName(const Button& button);
    static std::string switchName(const View& toggle);
    static RowName rowName(TableViewCell& cell);
    // The navigation bar's back button, for the screen it leads back to.
    static std::string backName(const std::string& previousTitle);
    // The first text shown inside a view; empty when none.
    static std::string firstText(const View& view);
    // A level bar's value: "42%".
    static std::string levelValue(float level);
};

}  // namespace kestrel
