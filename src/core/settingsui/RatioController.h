#pragma once

#include "core/ui/TableViewController.h"

namespace kestrel {

// "Photo Ratio": the 29 aspect ratios from the squarest to the widest; the
// stored one carries a check mark, a tap stores another at once.
class RatioController : public TableViewController {
public:
    static constexpr int kRows = 29;

    void viewDidLoad() override { setTitle("Photo Ratio"); }
    // The ratio index shown in a row; -1 outside the list.
    static int getRatioForRow(int row);

    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int section) override { return section == 0 ? kRows : 0; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    void didSelectRow(TableView& table, IndexPath path) override;
};

// "Default Effect": the four colour effects of the settings screen.
class EffectController : public TableViewController {
public:
    static constexpr int kRows = 4;

    void viewDidLoad() override { setTitle("Default Effect"); }
    static int getEffectForRow(int row) { return row >= 0 && row < kRows ? row : -1; }

    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int section) override { return section == 0 ? kRows : 0; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    void didSelectRow(TableView& table, IndexPath path) override;
};

}  // namespace kestrel
