#include "adapters/gst/StillMemory.h"

#include <cstring>
#include <utility>

namespace kestrel {

std::shared_ptr<StillMemory> StillMemory::create() {
    return std::shared_ptr<StillMemory>(new StillMemory());
}

void StillMemory::prepare(int width, int height) {
    if (width <= 0 || height <= 0) return;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    {
        std::lock_guard lock(mutex_);
        if (bytes_ == bytes && !spare_.empty()) return;
    }
    Block block(new std::uint8_t[bytes]);
    std::memset(block.get(), 0, bytes);
    giveBack(std::move(block), bytes);
}

StillMemory::Block StillMemory::take(std::size_t bytes) {
    {
        std::lock_guard lock(mutex_);
        if (bytes_ == bytes && !spare_.empty()) {
            Block block = std::move(spare_.back());
            spare_.pop_back();
            return block;
        }
    }
    return Block(new std::uint8_t[bytes]);
}

void StillMemory::giveBack(Block block, std::size_t bytes) {
    Block dropped;  // freed outside the lock
    std::lock_guard lock(mutex_);
    if (bytes != bytes_) {  // the source's size changed: the old blocks fit no still
        spare_.clear();
        bytes_ = bytes;
    }
    if (spare_.size() < kMaxSpare)
        spare_.push_back(std::move(block));
    else
        dropped = std::move(block);
}

Image StillMemory::copy(int width, int height, const std::uint8_t* rows, std::size_t bytesPerRow) {
    if (width <= 0 || height <= 0 || !rows) return Image();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);
    Block block = take(bytes);
    for (int y = 0; y < height; ++y)
        std::memcpy(block.get() + static_cast<std::size_t>(y) * rowBytes,
                    rows + static_cast<std::size_t>(y) * bytesPerRow, rowBytes);
    std::uint8_t* pixels = block.release();
    return Image(Bitmap::adopt(width, height, rowBytes, pixels,
                               [memory = weak_from_this(), pixels, bytes] {
                                   Block back(pixels);
                                   if (const auto alive = memory.lock())
                                       alive->giveBack(std::move(back), bytes);
                               }));
}

std::size_t StillMemory::spareBlocks() const {
    std::lock_guard lock(mutex_);
    return spare_.size();
}

}  // namespace kestrel
