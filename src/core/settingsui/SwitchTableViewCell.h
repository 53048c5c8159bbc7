#pragma once

#include "core/settingsui/CustomTableViewCell.h"
#include "core/ui/Switch.h"

namespace kestrel {

// A settings row with an on/off switch at its right.
class SwitchTableViewCell : public CustomTableViewCell {
public:
    explicit SwitchTableViewCell(Rect frame = Rect{0, 0, 300, 44},
                                 std::string reuseIdentifier = {});
    Switch& checkbox() { return *checkbox_; }

private:
    std::shared_ptr<Switch> checkbox_;
};

}  // namespace kestrel
