#include "core/imaging/CImageEffect.h"

namespace kestrel {

void CImageEffect::SetInput(std::uint8_t* data, std::uint32_t width, std::uint32_t height,
                            std::size_t bytesPerRow) {
    data_ = data;
    width_ = width;
    height_ = height;
    bytesPerRow_ = bytesPerRow;
}

int CImageEffect::Process() {
    if (!data_ || width_ == 0 || height_ == 0) return 0;
    PreProcess();
    return ProcessSelf();
}

}  // namespace kestrel
