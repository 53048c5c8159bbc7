#include "core/settingsui/CustomTableViewCell.h"

namespace kestrel {

// The labels read across the row: a wider row gives them the room.
void CustomTableViewCell::setLabel(std::shared_ptr<Label> label) {
    if (label) label->setAutoresizing(Autoresizing::kFlexibleWidth);
    replaceContent(label_, std::move(label));
}

void CustomTableViewCell::setSubLabel(std::shared_ptr<Label> label) {
    if (label) label->setAutoresizing(Autoresizing::kFlexibleWidth);
    replaceContent(subLabel_, std::move(label));
}

void CustomTableViewCell::setText(const std::string& text) {
    if (label_) label_->setText(text);
}

std::shared_ptr<Label> CustomTableViewCell::copyLabel(const Label& from) {
    auto label = std::make_shared<Label>(from.frame());
    label->setText(from.text());
    label->setTextColor(from.textColor());
    label->setFont(from.font());
    label->setBackgroundColor(from.backgroundColor());
    label->setAlignment(from.alignment());
    return label;
}

void CustomTableViewCell::copyFrom(const CustomTableViewCell& t) {
    setAutoresizesSubviews(t.autoresizesSubviews());
    setAccessory(t.accessory());
    setSelectionStyle(t.selectionStyle());
    setBackgroundColor(t.backgroundColor());
    contentView().setBackgroundColor(t.sharedContentView()->backgroundColor());
    if (t.backgroundView()) {
        auto plain = std::make_shared<View>();
        plain->setBackgroundColor(t.backgroundView()->backgroundColor());
        setBackgroundView(plain);
    }
    if (t.label()) setLabel(copyLabel(*t.label()));
    if (t.subLabel()) setSubLabel(copyLabel(*t.subLabel()));
}

std::shared_ptr<CustomTableViewCell> CustomTableViewCell::copyWithIdentifier(
    const std::string& identifier) const {
    auto cell = std::make_shared<CustomTableViewCell>(frame(), identifier);
    cell->copyFrom(*this);
    return cell;
}

}  // namespace kestrel
