#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/SystemSounds.h"

#include <filesystem>
#include <vector>

namespace kestrel::test {

// System sounds that play nothing and remember what they were asked, with
// the run loop's time of each play when given a loop.
class RecordingSounds final : public SystemSounds {
public:
    SoundId registerSound(const std::filesystem::path& file) override {
        registered.push_back(file);
        return 7;
    }
    void play(SoundId) override { plays.push_back(loop ? loop->now() : RunLoop::Duration{}); }
    void dispose(SoundId) override { ++disposed; }
    void vibrate() override { ++vibrations; }

    const RunLoop* loop = nullptr;
    std::vector<std::filesystem::path> registered;
    std::vector<RunLoop::Duration> plays;
    int disposed = 0;
    int vibrations = 0;
};

}  // namespace kestrel::test
