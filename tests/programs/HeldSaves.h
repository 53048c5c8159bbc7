#pragma once

#include "core/platform/Log.h"
#include "core/platform/WorkerQueue.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace kestrel::test {

// The test programs' slow disk: every save held `seconds` on its worker
// before it runs, said in the log as it starts, so that a test can quit the
// program while a save is under way.
inline WorkerQueue::Gate heldSaves(std::chrono::milliseconds hold) {
    return [hold](const std::string& queue) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", static_cast<double>(hold.count()) / 1000);
        Log::info("saving (" + queue + "): holding this save " + seconds + " s");
        std::this_thread::sleep_for(hold);
    };
}

// The hold from the program's first argument (seconds, 0 to 60); exits
// with a one-line error on anything else.
inline std::chrono::milliseconds holdArgument(int argc, char** argv) {
    const char* text = argc > 1 ? argv[1] : "";
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0) || seconds > 60) {
        std::fprintf(stderr, "%s: the first argument is the hold of each save, 0 to 60 s, not \"%s\"\n",
                     argc > 0 ? argv[0] : "held-saves", text);
        std::exit(2);
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

}  // namespace kestrel::test
