#pragma once

#include <functional>

namespace kestrel {

// Works on the rows [0, rows) of one picture on the machine's cores at once,
// returning when every row is done. The only concurrency in the photo
// pipeline: each row is touched by one thread, and nothing outlives the call.
//
// The rows are handed out in chunks to whichever thread is free, so a core
// that another program holds slows the call down by no more than its share:
// the calling thread takes over the chunks a late helper has not begun.
class ParallelRows {
public:
    // work(first row, end row, worker) for each chunk, from up to bandCount()
    // threads at once; `worker` (< bandCount()) names the calling thread, so
    // state kept per worker needs no lock. Chunks come in no set order.
    static void run(int rows, const std::function<void(int begin, int end, int worker)>& work);
    // How many threads run() uses at most (the cores used, capped at 4).
    static int bandCount();
    // Below this many rows everything runs as one chunk on the calling thread;
    // no chunk is smaller, except the last.
    static constexpr int kMinRowsPerBand = 64;
    // Chunks per thread, when the rows allow: enough for a late helper's
    // share to be taken over in small pieces.
    static constexpr int kChunksPerThread = 8;
};

}  // namespace kestrel
