#pragma once

#include <functional>

namespace kestrel {

// Splits the rows [0, rows) of one picture into bands and works on them on
// the machine's cores at once, returning when every band is done. The only
// concurrency in the photo pipeline: each band is touched by one thread, and
// nothing outlives the call.
class ParallelRows {
public:
    // work(first row, end row, band index); bands < bandCount().
    static void run(int rows, const std::function<void(int begin, int end, int band)>& work);
    // How many bands run() makes at most (the cores used, capped at 4).
    static int bandCount();
    // Below this many rows everything runs as one band on the calling thread.
    static constexpr int kMinRowsPerBand = 64;
};

}  // namespace kestrel
