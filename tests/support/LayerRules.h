#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::test {

// Kestrel's layers as src/layers.txt lists them (lowest first: a name, a
// library, the folder under src/, the layers it uses), and the includes
// under src/ that break them: one that runs up a layer, or to the side into
// a layer this one does not use.
class LayerRules {
public:
    struct Layer {
        std::string name;
        std::string folder;               // under src/, e.g. "core/modes"
        std::vector<std::string> uses;    // as listed
        std::vector<std::string> reaches; // what it uses, and what those reach
    };

    // Reads a list; throws std::runtime_error naming the line at fault (not
    // four fields, a layer named twice, one that uses a layer not before it).
    static LayerRules read(const std::filesystem::path& list);

    // The layer a path relative to src/ lies in ("core/modes/ModeOffer.cpp",
    // or what an include names): the one with the longest folder that holds
    // it; none for a path outside every layer.
    const Layer* layerOf(std::string_view path) const;
    // Whether code in `from` may include a header of `to`.
    static bool mayUse(const Layer& from, const Layer& to);

    // Every quoted include under `srcDir` (its .h and .cpp files) that names
    // a file of another layer `from` does not reach, or of no layer, as
    // "core/modes/X.cpp includes core/camera/Y.h: modes does not use camera".
    std::vector<std::string> violations(const std::filesystem::path& srcDir) const;
    // The folders under `srcDir` holding sources that no layer claims.
    std::vector<std::string> unclaimedFolders(const std::filesystem::path& srcDir) const;

    const std::vector<Layer>& layers() const { return layers_; }

private:
    std::vector<Layer> layers_;
};

}  // namespace kestrel::test
