#include "core/ui/Accessibility.h"

#include "core/ui/Button.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"
#include "core/ui/TableView.h"
#include "core/ui/TableViewCell.h"

#include <cmath>
#include <map>

namespace kestrel {

Accessibility::Role Accessibility::roleOf(const View& view) {
    if (dynamic_cast<const Button*>(&view)) return Role::kButton;
    if (dynamic_cast<const Switch*>(&view)) return Role::kSwitch;
    if (dynamic_cast<const SegmentedControl*>(&view)) return Role::kSegment;
    if (dynamic_cast<const IndicatorView*>(&view)) return Role::kLevel;
    if (dynamic_cast<const Label*>(&view)) return Role::kLabel;
    if (dynamic_cast<const TableView*>(&view)) return Role::kTable;
    return Role::kNone;
}

std::string Accessibility::buttonName(const Button& button) {
    if (!button.name().empty()) return button.name();
    static const std::map<std::string, std::string> kNames{
        {"camera.png", "Take Picture"},
        {"pause.png", "Stop"},
        {"album.png", "Album"},
        {"settings.png", "Settings"},
        {"use.png", "Use"},
        {"retake.png", "Retake"},
        {"cancel.png", "Cancel"},
        {"flash_auto.png", "Flash: Automatic"},
        {"flash_on.png", "Flash: On"},
        {"flash_off.png", "Flash: Off"},
        {"turn1.png", "Switch Camera: Back"},
        {"turn2.png", "Switch Camera: Front"},
        {"Toolbar_Previous.png", "Previous Photo"},
        {"Toolbar_Next.png", "Next Photo"},
        {"Toolbar_Play.png", "Play Slideshow"},
        {"Toolbar_Pause.png", "Pause Slideshow"},
        {"Toolbar_Trash.png", "Delete Photo"},
    };
    const auto named = kNames.find(button.image(Button::kNormal));
    return named != kNames.end() ? named->second : "Button";
}

std::string Accessibility::switchName(const View& toggle) {
    for (View* up = toggle.superview(); up; up = up->superview())
        if (auto* cell = dynamic_cast<TableViewCell*>(up)) {
            std::string title = cell->hasTextLabel() ? cell->textLabel().text() : std::string();
            if (title.empty()) title = firstText(*cell);
            return title.empty() ? "Switch" : title;
        }
    return "Switch";
}

Accessibility::RowName Accessibility::rowName(TableViewCell& cell) {
    std::string name = cell.hasTextLabel() ? cell.textLabel().text() : std::string();
    const std::string detail = cell.hasDetailTextLabel() ? cell.detailTextLabel().text() : std::string();
    if (name.empty()) name = firstText(cell);
    if (name.empty()) name = detail.empty() ? "Row" : detail;
    return RowName{name, name == detail ? std::string() : detail};
}

std::string Accessibility::backName(const std::string& previousTitle) {
    return "Back to " + (previousTitle.empty() ? std::string("the previous screen") : previousTitle);
}

std::string Accessibility::firstText(const View& view) {
    for (const auto& child : view.subviews()) {
        if (child->hidden()) continue;
        if (const auto* label = dynamic_cast<const Label*>(child.get()); label && !label->text().empty())
            return label->text();
        if (std::string text = firstText(*child); !text.empty()) return text;
    }
    return {};
}

std::string Accessibility::levelValue(float level) {
    return std::to_string(static_cast<int>(std::lround(level * 100))) + "%";
}

}  // namespace kestrel
