#include "support/TestPaths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace kestrel::test {

TestPaths readTestPaths(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    TestPaths paths;
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (key == "source")
            paths.sourceDir = value;
        else if (key == "resources")
            paths.resourcesDir = value;
        else if (key == "samples")
            paths.samplesDir = value;
        else if (key == "gui")
            paths.guiProgram = value;
        else if (key == "cli")
            paths.cliProgram = value;
        else if (key == "gui-held-saves")
            paths.heldSavesGuiProgram = value;
        else if (key == "cli-held-saves")
            paths.heldSavesCliProgram = value;
        else if (key == "emulator")
            paths.emulator.push_back(value);
    }
    for (const auto& [name, value] :
         {std::pair{"source", paths.sourceDir.string()},
          std::pair{"resources", paths.resourcesDir.string()},
          std::pair{"samples", paths.samplesDir.string()}, std::pair{"gui", paths.guiProgram},
          std::pair{"cli", paths.cliProgram},
          std::pair{"gui-held-saves", paths.heldSavesGuiProgram},
          std::pair{"cli-held-saves", paths.heldSavesCliProgram}}) {
        if (value.empty()) throw std::runtime_error(file.string() + " names no " + name);
    }
    return paths;
}

const TestPaths& testPaths() {
    static const TestPaths paths = [] {
        const auto file =
            std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kestrel_tests.paths";
        try {
            return readTestPaths(file);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "kestrel_tests: %s\n", error.what());
            std::exit(2);
        }
    }();
    return paths;
}

}  // namespace kestrel::test
