#pragma once

#include "core/base/Image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kestrel {

// The pixels of full-resolution stills, used again once a still is let go.
// Copying a still into a block fresh from the system pays a page fault for
// every 4 KiB of it as it is first written (about 30 ms for 8 MP here, and
// now and then, where the system hands out large pages, ten times that);
// a block used before is only copied into. Blocks come back from whichever
// thread lets the last copy of a still go.
class StillMemory : public std::enable_shared_from_this<StillMemory> {
public:
    static std::shared_ptr<StillMemory> create();

    // Writes every byte of a spare block for stills of `width` × `height`,
    // ahead of the first still, unless one is spare already.
    void prepare(int width, int height);
    // An opaque picture of `width` × `height` rows of `bytesPerRow` from
    // `rows`, in a spare block where there is one.
    Image copy(int width, int height, const std::uint8_t* rows, std::size_t bytesPerRow);

    std::size_t spareBlocks() const;

    static constexpr std::size_t kMaxSpare = 2;

private:
    StillMemory() = default;
    using Block = std::unique_ptr<std::uint8_t[]>;
    Block take(std::size_t bytes);
    void giveBack(Block block, std::size_t bytes);

    mutable std::mutex mutex_;  // guards the spare blocks and their size
    std::size_t bytes_ = 0;     // the size of every spare block
    std::vector<Block> spare_;
};

}  // namespace kestrel
