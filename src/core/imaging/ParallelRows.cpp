#include "core/imaging/ParallelRows.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace kestrel {

int ParallelRows::bandCount() {
    static const int count = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    return count;
}

void ParallelRows::run(int rows, const std::function<void(int, int, int)>& work) {
    if (rows <= 0) return;
    const int bands = std::clamp(rows / kMinRowsPerBand, 1, bandCount());
    if (bands == 1) {
        work(0, rows, 0);
        return;
    }
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(bands - 1));
    const auto bandStart = [rows, bands](int band) {
        return static_cast<int>(static_cast<long long>(rows) * band / bands);
    };
    for (int band = 1; band < bands; ++band)
        helpers.emplace_back(work, bandStart(band), bandStart(band + 1), band);
    work(0, bandStart(1), 0);  // the first band on the calling thread
    for (auto& helper : helpers) helper.join();
}

}  // namespace kestrel
