#include "core/imaging/Sharpness.h"

#include "core/imaging/UColorSpace.h"

#include <cstdint>
#include <vector>

namespace kestrel {

double Sharpness::of(const Bitmap& bitmap) {
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (width < 3 || height < 3) return 0;
    // Three rows of luma at a time; integer sums, so the figure does not
    // depend on the order of the additions.
    std::vector<int> rows(static_cast<std::size_t>(width) * 3);
    auto lumaRow = [&](int y) {
        int* out = rows.data() + static_cast<std::size_t>(y % 3) * static_cast<std::size_t>(width);
        const std::uint8_t* in = bitmap.row(y);
        for (int x = 0; x < width; ++x) out[x] = UColorSpace::luma(in[4 * x + 2], in[4 * x + 1], in[4 * x]);
    };
    lumaRow(0);
    lumaRow(1);
    std::int64_t sum = 0;
    std::int64_t sumOfSquares = 0;
    for (int y = 1; y < height - 1; ++y) {
        lumaRow(y + 1);
        const int* above = rows.data() + static_cast<std::size_t>((y - 1) % 3) * static_cast<std::size_t>(width);
        const int* here = rows.data() + static_cast<std::size_t>(y % 3) * static_cast<std::size_t>(width);
        const int* below = rows.data() + static_cast<std::size_t>((y + 1) % 3) * static_cast<std::size_t>(width);
        for (int x = 1; x < width - 1; ++x) {
            const std::int64_t laplacian = above[x] + below[x] + here[x - 1] + here[x + 1] - 4 * here[x];
            sum += laplacian;
            sumOfSquares += laplacian * laplacian;
        }
    }
    const double n = static_cast<double>(width - 2) * static_cast<double>(height - 2);
    const double mean = static_cast<double>(sum) / n;
    return static_cast<double>(sumOfSquares) / n - mean * mean;
}

}  // namespace kestrel
