#include "core/imaging/ParallelRows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace kestrel {
namespace {

// Every row exactly once, in chunks of at least the minimum (but the last),
// from workers the caller can index per-worker state by.
TEST(ParallelRowsTest, EveryRowOnceInChunksNamedByWorker) {
    for (int rows : {0, 1, ParallelRows::kMinRowsPerBand - 1, ParallelRows::kMinRowsPerBand,
                     2 * ParallelRows::kMinRowsPerBand + 1, 1000, 4099}) {
        SCOPED_TRACE(rows);
        std::vector<std::atomic<int>> seen(static_cast<std::size_t>(rows));
        std::atomic<bool> badChunk{false};
        ParallelRows::run(rows, [&](int begin, int end, int worker) {
            if (worker < 0 || worker >= ParallelRows::bandCount() || begin < 0 || end > rows || begin >= end ||
                (end - begin < ParallelRows::kMinRowsPerBand && end != rows))
                badChunk = true;
            for (int y = begin; y < end; ++y) ++seen[static_cast<std::size_t>(y)];
        });
        EXPECT_FALSE(badChunk);
        for (int y = 0; y < rows; ++y) ASSERT_EQ(seen[static_cast<std::size_t>(y)], 1) << y;
    }
}

}  // namespace
}  // namespace kestrel
