#pragma once

#include <atomic>

namespace kestrel {

// The process-wide product variant code that the settings record's rules
// read. Start-up sets it to kThisBuild before anything reads a setting; it is
// 0 until then and is never persisted.
class ApplicationId {
public:
    static constexpr int kThisBuild = 40111;

    static void setId(int code) { code_.store(code, std::memory_order_relaxed); }
    static int getId() { return code_.load(std::memory_order_relaxed); }

private:
    static inline std::atomic<int> code_{0};
};

}  // namespace kestrel
