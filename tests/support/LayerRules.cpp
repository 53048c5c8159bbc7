#include "support/LayerRules.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

bool isSource(const fs::path& file) {
    return file.extension() == ".h" || file.extension() == ".cpp";
}

// The file's path under src/, with forward slashes.
std::string pathUnder(const fs::path& file, const fs::path& srcDir) {
    return fs::relative(file, srcDir).generic_string();
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

LayerRules LayerRules::read(const fs::path& list) {
    std::ifstream in(list);
    if (!in) throw std::runtime_error(list.string() + ": cannot be read");
    LayerRules rules;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = list.filename().string() + ":" + std::to_string(number) + ": ";
        std::istringstream fields(line);
        std::string name, library, folder, uses, extra;
        if (!(fields >> name >> library >> folder >> uses) || (fields >> extra))
            throw std::runtime_error(where + "not: layer library folder uses");
        for (const Layer& layer : rules.layers_)
            if (layer.name == name) throw std::runtime_error(where + name + " is listed twice");
        Layer layer{name, folder, uses == "-" ? std::vector<std::string>{} : split(uses, ','), {}};
        for (const std::string& use : layer.uses) {
            auto below = std::find_if(rules.layers_.begin(), rules.layers_.end(),
                                      [&](const Layer& l) { return l.name == use; });
            if (below == rules.layers_.end())
                throw std::runtime_error(where + name + " uses " + use +
                                         ", which is not a layer listed before it");
            layer.reaches.push_back(use);
            for (const std::string& reached : below->reaches)
                if (!contains(layer.reaches, reached)) layer.reaches.push_back(reached);
        }
        rules.layers_.push_back(std::move(layer));
    }
    return rules;
}

const LayerRules::Layer* LayerRules::layerOf(std::string_view path) const {
    const Layer* found = nullptr;
    for (const Layer& layer : layers_) {
        const bool holds = path.size() > layer.folder.size() && path.starts_with(layer.folder) &&
                           path[layer.folder.size()] == '/';
        if (holds && (!found || layer.folder.size() > found->folder.size())) found = &layer;
    }
    return found;
}

bool LayerRules::mayUse(const Layer& from, const Layer& to) {
    return from.name == to.name || contains(from.reaches, to.name);
}

std::vector<std::string> LayerRules::violations(const fs::path& srcDir) const {
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(srcDir)) {
        if (!entry.is_regular_file() || !isSource(entry.path())) continue;
        const std::string file = pathUnder(entry.path(), srcDir);
        const Layer* from = layerOf(file);
        if (!from) continue;  // unclaimedFolders() reports it
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            if (!std::regex_search(line, match, include)) continue;
            const std::string header = match[1];
            if (header.find('/') == std::string::npos) continue;  // beside the file
            const Layer* to = layerOf(header);
            if (!to)
                found.push_back(file + " includes " + header + ": that lies in no layer");
            else if (!mayUse(*from, *to))
                found.push_back(file + " includes " + header + ": " + from->name +
                                " does not use " + to->name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> LayerRules::unclaimedFolders(const fs::path& srcDir) const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(srcDir)) {
        if (!entry.is_regular_file() || !isSource(entry.path())) continue;
        const std::string folder = pathUnder(entry.path().parent_path(), srcDir);
        if (!layerOf(pathUnder(entry.path(), srcDir)) && !contains(found, folder))
            found.push_back(folder);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace kestrel::test
