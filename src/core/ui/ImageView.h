#pragma once

#include "core/base/Image.h"
#include "core/ui/View.h"

#include <string>

namespace kestrel {

// Shows a picture: a decoded image, or a resource by file name that the
// renderer loads ("camera.png"); one or the other.
class ImageView : public View {
public:
    enum class ContentMode { kScaleToFill, kAspectFit, kAspectFill, kCenter };

    using View::View;
    std::string typeName() const override { return "ImageView"; }

    const Image& image() const { return image_; }
    void setImage(Image image);
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name);
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);

protected:
    // Touches go through to what lies below.
    bool takesTouchesByDefault() const override { return false; }

private:
    Image image_;
    std::string imageName_;
    ContentMode contentMode_ = ContentMode::kScaleToFill;
};

}  // namespace kestrel
