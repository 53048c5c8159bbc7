#pragma once

#include "core/settingsui/CustomTableViewCell.h"
#include "core/ui/ImageView.h"

namespace kestrel {

// A row with one or two pictures besides its labels; it can look disabled.
class ImageTableViewCell : public CustomTableViewCell {
public:
    using CustomTableViewCell::CustomTableViewCell;

    // The standard image row: 320 × 44, a label at (60, 11) 217 × 21 and a
    // 32 × 32 picture at (20, 6).
    static std::shared_ptr<ImageTableViewCell> initWithIdentifier(const std::string& identifier);

    ImageView* imageView() const { return imageView_.get(); }
    ImageView* imageView2() const { return imageView2_.get(); }
    void setImageView(std::shared_ptr<ImageView> view);
    void setImageView2(std::shared_ptr<ImageView> view);

    void setImage(Image image);
    // Enabled: full opacity, black text, blue highlight. Disabled: half
    // opacity, grey text, no highlight.
    void enable(bool enabled);
    void copyFrom(const CustomTableViewCell& t) override;
    std::shared_ptr<CustomTableViewCell> copyWithIdentifier(
        const std::string& identifier) const override;

private:
    static std::shared_ptr<ImageView> copyImageView(const ImageView& from);
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<ImageView> imageView2_;
};

}  // namespace kestrel
