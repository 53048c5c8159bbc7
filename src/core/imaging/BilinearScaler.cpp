#include "core/imaging/BilinearScaler.h"

#include "core/imaging/BilinearKernels.h"

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrel {

namespace {

constexpr int kColumnOne = BilinearKernels::kColumnOne;
constexpr int kRowOne = BilinearKernels::kRowOne;

// A target pixel's two source neighbours along one axis: the first one's
// index and the weight of the second (out of kColumnOne or kRowOne).
struct Tap {
    int index;
    int weight;
};

std::vector<Tap> tapsFor(int count, double origin, double extent, int sourceSize, int one) {
    std::vector<Tap> taps(static_cast<std::size_t>(count));
    const double step = sourceSize / extent;
    const int last = std::max(sourceSize - 2, 0);
    for (int i = 0; i < count; ++i) {
        // Pixel centres meet pixel centres; beyond the source its edge repeats.
        const double at = (i + 0.5 - origin) * step - 0.5;
        Tap& tap = taps[static_cast<std::size_t>(i)];
        if (sourceSize < 2 || at <= 0) {
            tap = {0, 0};
        } else if (at >= sourceSize - 1) {
            tap = {last, one};
        } else {
            tap.index = static_cast<int>(at);
            tap.weight = static_cast<int>(std::lround((at - tap.index) * one));
            if (tap.weight == one && tap.index < last) tap = {tap.index + 1, 0};
        }
    }
    return taps;
}

}  // namespace

bool BilinearScaler::hasVectorPath() {
    // The best target Highway built that this processor runs.
    const std::int64_t targets = hwy::SupportedTargets() & HWY_TARGETS;
    return (targets & -targets) != HWY_SCALAR;
}

void BilinearScaler::scale(const Source& source, const Target& target, const Placement& placement,
                           Path path) {
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0 ||
        !(placement.width > 0) || !(placement.height > 0))
        return;
    const std::vector<Tap> columns =
        tapsFor(target.width, placement.x, placement.width, source.width, kColumnOne);
    const std::vector<Tap> rows =
        tapsFor(target.height, placement.y, placement.height, source.height, kRowOne);
    // Only the source columns some target pixel reads are blended row by row.
    const int first = columns.front().index;
    const int span = std::min(columns.back().index + 2, source.width) - first;
    std::vector<std::int64_t> offsets;
    std::vector<std::uint32_t> factors;
    offsets.reserve(columns.size());
    factors.reserve(columns.size());
    for (const Tap& tap : columns) {
        offsets.push_back(4 * static_cast<std::int64_t>(tap.index - first));
        factors.push_back(BilinearKernels::columnFactors(tap.weight));
    }
    const std::size_t next = span > 1 ? 4 : 0;
    const std::size_t spanBytes = 4 * static_cast<std::size_t>(span);
    std::vector<std::uint8_t> blended(spanBytes);
    const bool portable = path == Path::kPortable;
    const auto width = static_cast<std::size_t>(target.width);

    for (int y = 0; y < target.height; ++y) {
        const Tap tap = rows[static_cast<std::size_t>(y)];
        const std::uint8_t* upper = source.pixels +
                                    static_cast<std::size_t>(tap.index) * source.bytesPerRow +
                                    4 * static_cast<std::size_t>(first);
        const std::uint8_t* row = upper;
        if (tap.weight == kRowOne) {
            row = upper + source.bytesPerRow;
        } else if (tap.weight > 0) {
            (portable ? BilinearKernels::blendRowsReference : BilinearKernels::blendRows)(
                upper, upper + source.bytesPerRow, tap.weight, blended.data(), spanBytes);
            row = blended.data();
        }
        std::uint8_t* out = target.pixels + static_cast<std::size_t>(y) * target.bytesPerRow;
        (portable ? BilinearKernels::blendColumnsReference : BilinearKernels::blendColumns)(
            row, next, offsets.data(), factors.data(), 0, width, out);
    }
}

}  // namespace kestrel
