#include "core/settingsui/TimeOfDayController.h"

#include "core/settings/ActiveHours.h"
#include "core/settings/Camera1Data.h"
#include "core/settingsui/CameraSettingsController.h"

namespace kestrel {

TimeOfDayController::TimeOfDayController(End end)
    : TableViewController(TableView::Style::kGrouped),
      end_(end),
      minutesCell_(std::make_shared<SegmentedTableViewCell>(
          Rect{0, 0, CameraSettingsController::kRowWidth, 62}, "",
          std::vector<std::string>{"00", "15", "30", "45"})) {
    const float width = CameraSettingsController::kRowWidth - 2 * CameraSettingsController::kInset;
    minutesCell_->setLabel(
        std::make_shared<Label>(Rect{CameraSettingsController::kInset, 2, width, 22}));
    minutesCell_->label()->setFont(CameraSettingsController::kRowTitleFont);
    minutesCell_->setText("Minutes");
    minutesCell_->setSelectionStyle(TableViewCell::SelectionStyle::kNone);
    minutesCell_->segments().setAction([this](SegmentedControl&) { minutes(); });
}

void TimeOfDayController::viewWillAppear(bool) { tableView().reloadData(); }

int TimeOfDayController::stored() const {
    const Camera1Data* record = Camera1Data::data();
    if (!record) return -1;
    const int value =
        end_ == End::kFrom ? record->timer().activeFrom() : record->timer().activeTo();
    return ActiveHours::isTimeOfDay(value) ? value : -1;
}

void TimeOfDayController::store(int minutes) {
    Camera1Data* record = Camera1Data::data();
    if (!record) return;
    if (end_ == End::kFrom)
        record->timer().setActiveFrom(minutes);
    else
        record->timer().setActiveTo(minutes);
}

int TimeOfDayController::numberOfRows(TableView&, int section) {
    return section == 0 ? 1 : section == 1 ? kHours : 0;
}

std::shared_ptr<TableViewCell> TimeOfDayController::cellForRow(TableView& table, IndexPath path) {
    const int value = stored();
    if (path.section == 0 && path.row == 0) {
        // A stored minute off the row's steps selects none.
        minutesCell_->segments().setSelectedSegmentIndex(
            value >= 0 && value % kMinuteStep == 0 ? value % 60 / kMinuteStep
                                                   : SegmentedControl::kNoSegment);
        return minutesCell_;
    }
    if (path.section != 1 || path.row < 0 || path.row >= kHours) return nullptr;
    auto cell = table.dequeueReusableCell("Cell");
    if (!cell) cell = std::make_shared<TableViewCell>(Rect{0, 0, 320, 44}, "Cell");
    cell->textLabel().setText(ActiveHours::clockText(path.row * 60 + (value >= 0 ? value % 60 : 0)));
    cell->setAccessory(value >= 0 && value / 60 == path.row ? TableViewCell::Accessory::kCheckmark
                                                            : TableViewCell::Accessory::kNone);
    return cell;
}

float TimeOfDayController::heightForRow(TableView&, IndexPath path) {
    return path.section == 0 ? 62.0f : 44.0f;
}

void TimeOfDayController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    if (path.section != 1 || path.row < 0 || path.row >= kHours) return;
    const int value = stored();
    store(path.row * 60 + (value >= 0 ? value % 60 : 0));
    table.reloadData();
}

void TimeOfDayController::minutes() {
    const int segment = minutesCell_->segments().selectedSegmentIndex();
    if (segment < 0 || segment >= 60 / kMinuteStep) return;
    const int value = stored();
    store((value >= 0 ? value / 60 * 60 : 0) + segment * kMinuteStep);
    tableView().reloadData();
}

}  // namespace kestrel
