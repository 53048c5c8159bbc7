#pragma once

#include "core/library/ImageTileCell.h"

namespace kestrel {

class CameraRollPicker;

// A row of the album grid: taps go to the album screen.
class CameraRollCell : public ImageTileCell {
public:
    using ImageTileCell::ImageTileCell;

    // A new row built like this one: frame, tiles' frames, content mode and
    // background colour, accessory and selection style.
    std::shared_ptr<CameraRollCell> copyWithIdentifier(const std::string& identifier);
    void showImage() override;
    void selectImage() override;
    using ImageTileCell::touchesEnded;
    bool touchesEnded(Point point, int tapCount) override;

    CameraRollPicker* picker() const { return picker_; }
    void setPicker(CameraRollPicker* picker) { picker_ = picker; }

private:
    CameraRollPicker* picker_ = nullptr;
};

}  // namespace kestrel
