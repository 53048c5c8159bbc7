#pragma once

#include "core/about/AppInfo.h"
#include "core/ui/Label.h"
#include "core/ui/TableViewCell.h"

#include <array>
#include <memory>

namespace kestrel {

// The About screen's first row: the name in bold and four lines under it,
// the first of them the version.
class AboutTableViewCell : public TableViewCell {
public:
    explicit AboutTableViewCell(Rect frame = Rect{0, 0, 300, 120});
    // Fonts, the name and the version (what the interface definition leaves to code).
    void awakeFromNib(const AppIdentity& identity);
    Label& label(int n) { return *labels_.at(static_cast<std::size_t>(n - 1)); }

private:
    std::array<std::shared_ptr<Label>, 5> labels_;
};

}  // namespace kestrel
