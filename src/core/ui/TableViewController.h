#pragma once

#include "core/ui/TableView.h"
#include "core/ui/ViewController.h"

namespace kestrel {

// The base of the screens that are one table: the controller is the
// table's data source, and its view the table.
class TableViewController : public ViewController, public TableViewDataSource {
public:
    explicit TableViewController(TableView::Style style = TableView::Style::kPlain);
    TableView& tableView() { return *table_; }

private:
    std::shared_ptr<TableView> table_;
};

}  // namespace kestrel
