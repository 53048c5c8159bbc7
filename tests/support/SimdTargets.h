#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel::test {

// The vector targets Highway built the kernels for that this processor runs
// (on x86-64 AVX-512, AVX2, SSE4, SSSE3 and the scalar fallback, as far as
// the processor goes; NEON on aarch64), and a way to run code under each.
class SimdTargets {
public:
    struct Target {
        std::int64_t bits;
        std::string name;
    };
    static std::vector<Target> all();
    // Calls `body` once per target, with dispatch forced to that target (and
    // a trace naming it); dispatch is the processor's own choice again after.
    static void forEach(const std::function<void(const Target&)>& body);
};

// Bytes of seeded noise, one in four 0 or 255, where formulas have their edges.
std::vector<std::uint8_t> noiseBytes(std::size_t count, std::uint32_t seed);

}  // namespace kestrel::test
