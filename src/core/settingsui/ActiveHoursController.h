#pragma once

#include "core/settingsui/TimeOfDayController.h"
#include "core/ui/TableViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// "Active Hours": when a timer series takes its pictures. "Always", or
// "Between Set Hours" (the chosen one carries a check mark), and with the
// latter the span's two ends, each of which opens its own list
// (TimeOfDayController). A tap stores at once.
class ActiveHoursController : public TableViewController {
public:
    static constexpr const char* kAlways = "Always";
    static constexpr const char* kBetween = "Between Set Hours";

    ActiveHoursController();

    void viewDidLoad() override { setTitle("Active Hours"); }
    // Back from an end's list: its new time shows.
    void viewWillAppear(bool animated) override;

    int numberOfSections(TableView& table) override;
    int numberOfRows(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    std::optional<std::string> titleForHeader(TableView& table, int section) override;
    void didSelectRow(TableView& table, IndexPath path) override;

    // The lists of the two ends, made on first use and kept.
    TimeOfDayController* fromController() const { return from_.get(); }
    TimeOfDayController* toController() const { return to_.get(); }

private:
    // Whether the record's active hours are on.
    static bool on();
    void choose(bool between);
    void open(std::shared_ptr<TimeOfDayController>& list, TimeOfDayController::End end);

    std::shared_ptr<TableViewCell> alwaysCell_, betweenCell_, fromCell_, toCell_;
    std::shared_ptr<TimeOfDayController> from_, to_;
};

}  // namespace kestrel
