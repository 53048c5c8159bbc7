#include "core/ui/ImageView.h"

namespace kestrel {

void ImageView::setImage(Image image) {
    image_ = std::move(image);
    imageName_.clear();
    noteChange("image");
}

void ImageView::setImageName(std::string name) {
    imageName_ = std::move(name);
    image_ = Image();
    noteChange("image");
}

void ImageView::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    noteChange("contentMode");
}

}  // namespace kestrel
