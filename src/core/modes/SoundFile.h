#pragma once

#include "core/platform/SystemSounds.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kestrel {

// A short sound from Kestrel's resources ("beep.wav"), registered with the
// system sounds and played without blocking.
class SoundFile {
public:
    // The loaded sound, or none: the name must be "base.extension" (exactly
    // one dot), the file must exist in `resources`, the system must take it.
    static std::unique_ptr<SoundFile> soundFileFromFileName(const std::string& name,
                                                            const std::filesystem::path& resources,
                                                            SystemSounds& sounds);
    explicit SoundFile(SystemSounds& sounds) : sounds_(&sounds) {}
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    bool load(const std::string& name, const std::filesystem::path& resources);
    void play();
    const std::filesystem::path& url() const { return url_; }

private:
    SystemSounds* sounds_;
    std::filesystem::path url_;
    SystemSounds::SoundId sound_ = 0;
};

}  // namespace kestrel
