#include "core/settingsui/ImageTableViewCell.h"

namespace kestrel {

std::shared_ptr<ImageTableViewCell> ImageTableViewCell::initWithIdentifier(
    const std::string& identifier) {
    auto cell = std::make_shared<ImageTableViewCell>(Rect{0, 0, 320, 44}, identifier);
    cell->setLabel(std::make_shared<Label>(Rect{60, 11, 217, 21}));
    cell->setImageView(std::make_shared<ImageView>(Rect{20, 6, 32, 32}));
    return cell;
}

void ImageTableViewCell::setImageView(std::shared_ptr<ImageView> view) {
    replaceContent(imageView_, std::move(view));
}

void ImageTableViewCell::setImageView2(std::shared_ptr<ImageView> view) {
    replaceContent(imageView2_, std::move(view));
}

void ImageTableViewCell::setImage(Image image) {
    if (imageView_) imageView_->setImage(std::move(image));
}

void ImageTableViewCell::enable(bool enabled) {
    if (imageView_) imageView_->setAlpha(enabled ? 1.0 : 0.5);
    if (label()) label()->setTextColor(enabled ? Color{0, 0, 0, 1} : Color{0.5, 0.5, 0.5, 1});
    setSelectionStyle(enabled ? SelectionStyle::kBlue : SelectionStyle::kNone);
}

std::shared_ptr<ImageView> ImageTableViewCell::copyImageView(const ImageView& from) {
    auto view = std::make_shared<ImageView>(from.frame());
    if (from.image())
        view->setImage(from.image());
    else
        view->setImageName(from.imageName());
    view->setContentMode(from.contentMode());
    return view;
}

void ImageTableViewCell::copyFrom(const CustomTableViewCell& t) {
    CustomTableViewCell::copyFrom(t);
    const auto* images = dynamic_cast<const ImageTableViewCell*>(&t);
    if (!images) return;
    if (images->imageView()) setImageView(copyImageView(*images->imageView()));
    if (images->imageView2()) setImageView2(copyImageView(*images->imageView2()));
}

std::shared_ptr<CustomTableViewCell> ImageTableViewCell::copyWithIdentifier(
    const std::string& identifier) const {
    auto cell = std::make_shared<ImageTableViewCell>(frame(), identifier);
    cell->copyFrom(*this);
    return cell;
}

}  // namespace kestrel
