#include "core/library/CameraRollCell.h"

#include "core/library/CameraRollPicker.h"

namespace kestrel {

std::shared_ptr<CameraRollCell> CameraRollCell::copyWithIdentifier(const std::string& identifier) {
    auto row =
        std::make_shared<CameraRollCell>(frame(), identifier, loop(), thumbnails(), columns());
    for (int k = 1; k <= columns(); ++k) {
        auto copy = std::make_shared<SelectImageView>(tile(k).frame(), loop());
        copy->setContentMode(tile(k).contentMode());
        copy->setBackgroundColor(tile(k).backgroundColor());
        row->setTile(k, std::move(copy));
    }
    row->setAccessory(accessory());
    row->setSelectionStyle(selectionStyle());
    return row;
}

void CameraRollCell::showImage() {
    if (picker_) picker_->showImage(hitIndex());
}

void CameraRollCell::selectImage() {
    if (picker_) picker_->selectImage(hitIndex());
}

bool CameraRollCell::touchesEnded(Point point, int tapCount) {
    setMomentary(!(picker_ && picker_->multiselect()));
    return ImageTileCell::touchesEnded(point, tapCount);
}

}  // namespace kestrel
