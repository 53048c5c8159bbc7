#pragma once

#include "core/settingsui/SegmentedTableViewCell.h"
#include "core/ui/TableViewController.h"

#include <memory>

namespace kestrel {

// "From" or "To": one end of the timer's active hours. A row of minutes
// (00, 15, 30, 45) over the 24 hours of the day; the stored hour carries a
// check mark and the rows read as the times a tap stores ("07:30" with the
// minutes at 30). A tap stores at once and the screen stays open.
class TimeOfDayController : public TableViewController {
public:
    enum class End { kFrom, kTo };
    static constexpr int kHours = 24;
    static constexpr int kMinuteStep = 15;

    explicit TimeOfDayController(End end);
    End end() const { return end_; }

    void viewDidLoad() override { setTitle(end_ == End::kFrom ? "From" : "To"); }
    void viewWillAppear(bool animated) override;

    int numberOfSections(TableView&) override { return 2; }
    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    float heightForRow(TableView& table, IndexPath path) override;
    void didSelectRow(TableView& table, IndexPath path) override;

    SegmentedTableViewCell& minutesCell() { return *minutesCell_; }
    // The stored end, minutes after midnight; -1 without a record or for a
    // stored value that is not a time of day.
    int stored() const;

private:
    void store(int minutes);
    void minutes();

    End end_;
    std::shared_ptr<SegmentedTableViewCell> minutesCell_;
};

}  // namespace kestrel
