#include "core/settingsui/SegmentedTableViewCell.h"

namespace kestrel {

SegmentedTableViewCell::SegmentedTableViewCell(Rect frame, std::string reuseIdentifier,
                                               std::vector<std::string> titles)
    : CustomTableViewCell(frame, std::move(reuseIdentifier)),
      segments_(std::make_shared<SegmentedControl>(
          Rect{10, frame.height - 36, frame.width - 20, 30}, std::move(titles))) {
    segments_->setAutoresizing(Autoresizing::kFlexibleWidth);
    contentView().addSubview(segments_);
}

}  // namespace kestrel
