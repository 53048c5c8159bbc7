#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrel {

// Kestrel's diagnostics. Interfaces answer quietly (NO, 0, none); the cause of
// every failure goes here. The default sink writes one line per message to
// stderr. Any thread may log; the sink is called under a lock.
class Log {
public:
    enum class Level { Debug, Info, Warning, Error };
    using Sink = std::function<void(Level, std::string_view message)>;

    static void debug(std::string_view message);
    static void info(std::string_view message);
    static void warning(std::string_view message);
    static void error(std::string_view message);
    static void write(Level level, std::string_view message);

    // Replaces the sink; an empty sink restores the stderr default. Returns
    // the previous sink so a caller can put it back.
    static Sink setSink(Sink sink);
    // Messages below this level are dropped (default: Info).
    static void setThreshold(Level level);

    static std::string_view levelName(Level level);
};

}  // namespace kestrel
