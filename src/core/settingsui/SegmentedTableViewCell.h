#pragma once

#include "core/settingsui/CustomTableViewCell.h"
#include "core/ui/SegmentedControl.h"

#include <string>
#include <vector>

namespace kestrel {

// A settings row with a segmented control under its label.
class SegmentedTableViewCell : public CustomTableViewCell {
public:
    explicit SegmentedTableViewCell(Rect frame = Rect{0, 0, 300, 62},
                                    std::string reuseIdentifier = {},
                                    std::vector<std::string> titles = {});
    SegmentedControl& segments() { return *segments_; }

private:
    std::shared_ptr<SegmentedControl> segments_;
};

}  // namespace kestrel
