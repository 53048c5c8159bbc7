#pragma once

#include "core/ui/Label.h"
#include "core/ui/TableViewCell.h"

#include <memory>
#include <string>

namespace kestrel {

// The base of Kestrel's own table rows: a main and a secondary label (either
// may be absent). Rows that repeat are copies of a template row.
class CustomTableViewCell : public TableViewCell {
public:
    using TableViewCell::TableViewCell;

    Label* label() const { return label_.get(); }
    Label* subLabel() const { return subLabel_.get(); }
    // Puts a label in place (into the content view); none removes it.
    void setLabel(std::shared_ptr<Label> label);
    void setSubLabel(std::shared_ptr<Label> label);

    void setText(const std::string& text);
    // Looks like `t`: its row settings and copies of its labels.
    virtual void copyFrom(const CustomTableViewCell& t);
    // A new row with this one's frame and look, under `identifier`.
    virtual std::shared_ptr<CustomTableViewCell> copyWithIdentifier(
        const std::string& identifier) const;

protected:
    static std::shared_ptr<Label> copyLabel(const Label& from);

private:
    std::shared_ptr<Label> label_;
    std::shared_ptr<Label> subLabel_;
};

}  // namespace kestrel
