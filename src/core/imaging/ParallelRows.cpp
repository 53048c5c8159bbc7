#include "core/imaging/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace kestrel {

int ParallelRows::bandCount() {
    static const int count = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    return count;
}

void ParallelRows::run(int rows, const std::function<void(int, int, int)>& work) {
    if (rows <= 0) return;
    const int threads = std::clamp(rows / kMinRowsPerBand, 1, bandCount());
    if (threads == 1) {
        work(0, rows, 0);
        return;
    }
    const int chunk = std::max(kMinRowsPerBand, rows / (threads * kChunksPerThread));
    std::atomic<int> next{0};
    const auto take = [&](int worker) {
        for (;;) {
            const int begin = next.fetch_add(chunk, std::memory_order_relaxed);
            if (begin >= rows) return;
            work(begin, std::min(begin + chunk, rows), worker);
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int worker = 1; worker < threads; ++worker) helpers.emplace_back(take, worker);
    take(0);  // the calling thread works too, until no chunk is left
    for (auto& helper : helpers) helper.join();
}

}  // namespace kestrel
