#include "support/SimdTargets.h"

#include <gtest/gtest.h>
#include <hwy/highway.h>

#include <random>

namespace kestrel::test {
namespace {

// Back to the processor's own choice, also when a body fails an assertion.
struct ForcedTarget {
    explicit ForcedTarget(std::int64_t bits) { hwy::SetSupportedTargetsForTest(bits); }
    ~ForcedTarget() { hwy::SetSupportedTargetsForTest(0); }
    ForcedTarget(const ForcedTarget&) = delete;
    ForcedTarget& operator=(const ForcedTarget&) = delete;
};

}  // namespace

std::vector<SimdTargets::Target> SimdTargets::all() {
    std::vector<Target> targets;
    for (const std::int64_t bits : hwy::SupportedAndGeneratedTargets())
        targets.push_back({bits, hwy::TargetName(bits)});
    return targets;
}

void SimdTargets::forEach(const std::function<void(const Target&)>& body) {
    for (const Target& target : all()) {
        SCOPED_TRACE("target " + target.name);
        const ForcedTarget forced(target.bits);
        body(target);
    }
}

std::vector<std::uint8_t> noiseBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes) {
        const auto r = static_cast<std::uint32_t>(random());
        b = r % 8 == 0 ? 0 : r % 8 == 1 ? 255 : static_cast<std::uint8_t>(r >> 8);
    }
    return bytes;
}

}  // namespace kestrel::test
