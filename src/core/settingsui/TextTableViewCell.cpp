#include "core/settingsui/TextTableViewCell.h"

namespace kestrel {

TextTableViewCell::TextTableViewCell(Rect frame, std::string reuseIdentifier)
    : CustomTableViewCell(frame, std::move(reuseIdentifier)),
      textField_(std::make_shared<TextField>(Rect{110, 11, frame.width - 120, 22})) {
    textField_->setAutoresizing(Autoresizing::kFlexibleWidth);
    contentView().addSubview(textField_);
    initializeDeleteButton();
}

TextViewTableViewCell::TextViewTableViewCell(Rect frame, std::string reuseIdentifier)
    : CustomTableViewCell(frame, std::move(reuseIdentifier)),
      textField_(
          std::make_shared<TextField>(Rect{10, 8, frame.width - 20, frame.height - 16}, true)) {
    textField_->setAutoresizing(Autoresizing::kFlexibleWidth);
    contentView().addSubview(textField_);
}

}  // namespace kestrel
