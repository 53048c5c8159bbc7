#include "core/modes/SoundFile.h"

#include <algorithm>

namespace kestrel {

std::unique_ptr<SoundFile> SoundFile::soundFileFromFileName(const std::string& name,
                                                            const std::filesystem::path& resources,
                                                            SystemSounds& sounds) {
    auto sound = std::make_unique<SoundFile>(sounds);
    if (!sound->load(name, resources)) return nullptr;
    return sound;
}

SoundFile::~SoundFile() {
    if (sound_ != 0) sounds_->dispose(sound_);
}

bool SoundFile::load(const std::string& name, const std::filesystem::path& resources) {
    // Exactly a base name and an extension.
    const auto dot = name.find('.');
    if (std::count(name.begin(), name.end(), '.') != 1 || dot == 0 || dot + 1 == name.size())
        return false;
    const std::filesystem::path file = resources / name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    url_ = file;
    sound_ = sounds_->registerSound(file);
    return sound_ != 0;
}

void SoundFile::play() {
    if (sound_ != 0) sounds_->play(sound_);
}

}  // namespace kestrel
