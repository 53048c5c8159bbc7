#include "core/platform/Log.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace kestrel {
namespace {

// Guards sink(). Held while the sink runs, so messages never interleave.
std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

Log::Sink& sink() {
    static Log::Sink current;
    return current;
}

std::atomic<Log::Level> threshold{Log::Level::Info};

void writeToStderr(Log::Level level, std::string_view message) {
    std::string line = "kestrel: ";
    line += Log::levelName(level);
    line += ": ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

void Log::debug(std::string_view message) { write(Level::Debug, message); }
void Log::info(std::string_view message) { write(Level::Info, message); }
void Log::warning(std::string_view message) { write(Level::Warning, message); }
void Log::error(std::string_view message) { write(Level::Error, message); }

void Log::write(Level level, std::string_view message) {
    if (level < threshold.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(sinkMutex());
    if (sink())
        sink()(level, message);
    else
        writeToStderr(level, message);
}

Log::Sink Log::setSink(Sink newSink) {
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(sink());
    sink() = std::move(newSink);
    return previous;
}

void Log::setThreshold(Level level) { threshold.store(level, std::memory_order_relaxed); }

std::string_view Log::levelName(Level level) {
    switch (level) {
    case Level::Debug: return "debug";
    case Level::Info: return "info";
    case Level::Warning: return "warning";
    case Level::Error: return "error";
    }
    return "?";
}

}  // namespace kestrel
