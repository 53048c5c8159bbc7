#pragma once

#include "core/platform/WorkerQueue.h"

namespace kestrel::gui {

// kestrel: the camera in a window, on the real sensors where they are found
// and on simulated devices otherwise; its options, its devices, its window
// and its quitting by signal. The program's main() runs it as it is; a test
// program built from the same libraries runs it with what it overrides.
class WindowProgram {
public:
    struct Overrides {
        // Holds each photo save on the saver workers (a slow disk).
        WorkerQueue::Gate saveGate;
    };

    // Answers the exit status.
    static int run(int argc, char** argv, const Overrides& overrides = {});
};

}  // namespace kestrel::gui
