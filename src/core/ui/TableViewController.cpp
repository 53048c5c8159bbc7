#include "core/ui/TableViewController.h"

namespace kestrel {

TableViewController::TableViewController(TableView::Style style)
    : ViewController(std::make_shared<TableView>(Rect{0, 0, 320, 416}, style)),
      table_(std::static_pointer_cast<TableView>(sharedView())) {
    table_->setDataSource(this);
}

}  // namespace kestrel
