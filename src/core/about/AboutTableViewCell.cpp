#include "core/about/AboutTableViewCell.h"

namespace kestrel {

AboutTableViewCell::AboutTableViewCell(Rect frame) : TableViewCell(frame) {
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const float y = i == 0 ? 8.0f : 32.0f + 20.0f * static_cast<float>(i - 1);
        labels_[i] = std::make_shared<Label>(Rect{16, y, frame.width - 32, i == 0 ? 24.0f : 18.0f});
        labels_[i]->setAutoresizing(Autoresizing::kFlexibleWidth);
        contentView().addSubview(labels_[i]);
    }
    setSelectionStyle(SelectionStyle::kNone);
}

void AboutTableViewCell::awakeFromNib(const AppIdentity& identity) {
    label(1).setFont(Font{17, true});
    label(1).setText(identity.displayName);
    for (int n = 2; n <= 5; ++n)
        label(n).setFont(Font{13, false});
    label(2).setText("Version " + identity.version);
    label(3).setText("A still camera with a smart shutter.");
    label(4).setText("It shoots when you hold still, on a timer,");
    label(5).setText("a toss, a movement or a loud sound.");
}

}  // namespace kestrel
