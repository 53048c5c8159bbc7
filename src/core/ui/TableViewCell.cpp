#include "core/ui/TableViewCell.h"

#include "core/ui/TableView.h"

namespace kestrel {

TableViewCell::TableViewCell(Rect frame, std::string reuseIdentifier, Style style)
    : View(frame),
      reuseIdentifier_(std::move(reuseIdentifier)),
      style_(style),
      contentView_(std::make_shared<View>(Rect{0, 0, frame.width, frame.height})),
      builtWidth_(frame.width) {
    contentView_->setAutoresizing(Autoresizing::kFlexibleWidth);
    addSubview(contentView_);
}

Label& TableViewCell::textLabel() {
    if (!textLabel_) {
        const float top = style_ == Style::kSubtitle ? 2.0f : 0.0f;
        const float height = style_ == Style::kSubtitle ? 22.0f : frame().height;
        textLabel_ = std::make_shared<Label>(Rect{10, top, frame().width - 40, height});
        textLabel_->setFont(Font{17, true});
        textLabel_->setAutoresizing(Autoresizing::kFlexibleWidth);
        contentView_->addSubview(textLabel_);
    }
    return *textLabel_;
}

Label& TableViewCell::detailTextLabel() {
    if (!detailTextLabel_) {
        detailTextLabel_ = std::make_shared<Label>(Rect{10, 24, frame().width - 40, 18});
        detailTextLabel_->setFont(Font{14, false});
        detailTextLabel_->setAutoresizing(Autoresizing::kFlexibleWidth);
        detailTextLabel_->setTextColor(Color{0.5, 0.5, 0.5, 1});
        contentView_->addSubview(detailTextLabel_);
    }
    return *detailTextLabel_;
}

void TableViewCell::setAccessory(Accessory accessory) {
    if (accessory_ == accessory) return;
    accessory_ = accessory;
    noteChange("accessory");
    setNeedsDisplay();
}

void TableViewCell::touchesEnded(const Touch& touch) {
    if (touchesEnded(touch.locationIn(*this), touch.tapCount)) return;
    if (table_) table_->selectRow(IndexPath{section_, row_});
}

}  // namespace kestrel
