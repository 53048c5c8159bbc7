#pragma once

#include "core/settingsui/CustomTableViewCell.h"
#include "core/ui/TextField.h"

namespace kestrel {

// A settings row with a one-line text field; its clear button shows while editing.
class TextTableViewCell : public CustomTableViewCell {
public:
    explicit TextTableViewCell(Rect frame = Rect{0, 0, 300, 44}, std::string reuseIdentifier = {});
    TextField& textField() { return *textField_; }
    void initializeDeleteButton() { textField_->setClearButtonWhileEditing(true); }

private:
    std::shared_ptr<TextField> textField_;
};

// A settings row with a multi-line text view (which has no clear button).
class TextViewTableViewCell : public CustomTableViewCell {
public:
    explicit TextViewTableViewCell(Rect frame = Rect{0, 0, 300, 88},
                                   std::string reuseIdentifier = {});
    TextField& textField() { return *textField_; }
    void initializeDeleteButton() {}

private:
    std::shared_ptr<TextField> textField_;
};

}  // namespace kestrel
