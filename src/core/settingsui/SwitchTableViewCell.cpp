#include "core/settingsui/SwitchTableViewCell.h"

namespace kestrel {

SwitchTableViewCell::SwitchTableViewCell(Rect frame, std::string reuseIdentifier)
    : CustomTableViewCell(frame, std::move(reuseIdentifier)),
      checkbox_(
          std::make_shared<Switch>(Rect{frame.width - 104, (frame.height - 27) / 2, 94, 27})) {
    checkbox_->setAutoresizing(Autoresizing::kFlexibleLeftMargin);  // at the row's right end
    contentView().addSubview(checkbox_);
}

}  // namespace kestrel
