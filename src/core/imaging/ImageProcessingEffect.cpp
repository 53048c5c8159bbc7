#include "core/imaging/ImageProcessingEffect.h"

#include "core/imaging/ImageResizer.h"
#include "core/platform/Log.h"

namespace kestrel {

Image ImageProcessingEffect::applyEffect() {
    if (!image_ || !processor_ || image_.bitmap().empty()) return {};
    if (image_.bitmap().format() != Bitmap::Format::kBGRX) {
        Log::warning("effect: only opaque 32-bit pictures are processed");
        return {};
    }
    // The engine works on upright pixels, in place when nobody else holds
    // this picture (the photo road hands over its only reference).
    Bitmap copy = image_.orientation() == Image::kUp
                      ? image_.takeBitmap()
                      : ImageResizer::colorMatch(image_.bitmap(), image_.orientation());
    image_ = Image();
    processor_->SetInput(copy.data(), static_cast<std::uint32_t>(copy.width()),
                         static_cast<std::uint32_t>(copy.height()), copy.bytesPerRow());
    processor_->Process();
    processor_->SetInput(nullptr, 0, 0, 0);
    return Image(std::move(copy), Image::kUp);
}

}  // namespace kestrel
