#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// A pixel engine over one buffer of 32-bit pixels (bytes blue, green, red,
// skipped), worked in place. The buffer is borrowed.
class CImageEffect {
public:
    virtual ~CImageEffect() = default;

    virtual void SetInput(std::uint8_t* data, std::uint32_t width, std::uint32_t height,
                          std::size_t bytesPerRow);
    // 0 without data or with an empty buffer; otherwise PreProcess, then
    // the answer of ProcessSelf.
    int Process();

protected:
    virtual void PreProcess() {}
    virtual int ProcessSelf() = 0;

    std::uint8_t* data_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::size_t bytesPerRow_ = 0;
};

}  // namespace kestrel
