#pragma once

#include "core/base/Image.h"
#include "core/imaging/CImageEffect.h"

#include <memory>

namespace kestrel {

// Runs a pixel engine over a private copy of a picture's pixels and answers a
// new picture of the result.
class ImageProcessingEffect {
public:
    virtual ~ImageProcessingEffect() = default;

    // Replaces the engine with a fresh one (the base has none).
    virtual void resetProcessor() {}
    void setImage(Image image) { image_ = std::move(image); }
    const Image& image() const { return image_; }
    // The processed picture (orientation 0), or none without an image or an
    // engine. The effect lets go of its image.
    Image applyEffect();

protected:
    std::unique_ptr<CImageEffect> processor_;

private:
    Image image_;
};

}  // namespace kestrel
