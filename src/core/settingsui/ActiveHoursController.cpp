#include "core/settingsui/ActiveHoursController.h"

#include "core/settings/ActiveHours.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/ViewController.h"

namespace kestrel {
namespace {

std::shared_ptr<TableViewCell> row(const std::string& text) {
    auto cell = std::make_shared<TableViewCell>(Rect{0, 0, 320, 44});
    cell->textLabel().setText(text);
    return cell;
}

std::string endText(const char* name, int minutes) {
    return std::string(name) + ": " +
           (ActiveHours::isTimeOfDay(minutes) ? ActiveHours::clockText(minutes) : "\u2013");
}

}  // namespace

ActiveHoursController::ActiveHoursController()
    : TableViewController(TableView::Style::kGrouped),
      alwaysCell_(row(kAlways)),
      betweenCell_(row(kBetween)),
      fromCell_(row("From")),
      toCell_(row("To")) {
    fromCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    toCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
}

bool ActiveHoursController::on() {
    const Camera1Data* record = Camera1Data::data();
    return record && record->timer().activeHours();
}

void ActiveHoursController::viewWillAppear(bool) { tableView().reloadData(); }

int ActiveHoursController::numberOfSections(TableView&) { return on() ? 2 : 1; }

int ActiveHoursController::numberOfRows(TableView&, int section) {
    if (section == 0) return 2;
    return section == 1 && on() ? 2 : 0;
}

std::shared_ptr<TableViewCell> ActiveHoursController::cellForRow(TableView&, IndexPath path) {
    const Camera1Data* record = Camera1Data::data();
    using Accessory = TableViewCell::Accessory;
    if (path.section == 0) {
        alwaysCell_->setAccessory(on() ? Accessory::kNone : Accessory::kCheckmark);
        betweenCell_->setAccessory(on() ? Accessory::kCheckmark : Accessory::kNone);
        if (path.row == 0) return alwaysCell_;
        if (path.row == 1) return betweenCell_;
        return nullptr;
    }
    if (path.section != 1 || !record || !on()) return nullptr;
    fromCell_->textLabel().setText(endText("From", record->timer().activeFrom()));
    toCell_->textLabel().setText(endText("To", record->timer().activeTo()));
    if (path.row == 0) return fromCell_;
    if (path.row == 1) return toCell_;
    return nullptr;
}

std::optional<std::string> ActiveHoursController::titleForHeader(TableView&, int section) {
    if (section == 1 && on()) return std::string("Local time, may pass midnight");
    return std::nullopt;
}

void ActiveHoursController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    if (path.section == 0 && (path.row == 0 || path.row == 1)) {
        choose(path.row == 1);
        table.reloadData();
    } else if (path.section == 1 && path.row == 0) {
        open(from_, TimeOfDayController::End::kFrom);
    } else if (path.section == 1 && path.row == 1) {
        open(to_, TimeOfDayController::End::kTo);
    }
}

void ActiveHoursController::choose(bool between) {
    Camera1Data* record = Camera1Data::data();
    if (!record) return;
    Camera1TimerData& timer = record->timer();
    // A store from before the active hours reads their ends as 00:00; a
    // span that is not one starts from the record's own (daylight) span.
    const bool unset = timer.activeFrom() == 0 && timer.activeTo() == 0;
    if (between && (unset || !ActiveHours::isTimeOfDay(timer.activeFrom()) ||
                    !ActiveHours::isTimeOfDay(timer.activeTo()))) {
        const Camera1TimerData defaults;
        timer.setActiveFrom(defaults.activeFrom());
        timer.setActiveTo(defaults.activeTo());
    }
    timer.setActiveHours(between);
}

void ActiveHoursController::open(std::shared_ptr<TimeOfDayController>& list,
                                 TimeOfDayController::End end) {
    if (!list) list = std::make_shared<TimeOfDayController>(end);
    if (NavigationController* navigation = navigationController())
        navigation->pushViewController(list, true);
}

}  // namespace kestrel
