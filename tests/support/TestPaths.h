#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::test {

// Where the suite finds what lies outside it: read when the tests run from
// kestrel_tests.paths beside the test program (written by the build), so
// that no folder of a particular clone is compiled into the tests and a
// compiler cache serves every clone alike.
struct TestPaths {
    std::filesystem::path sourceDir;     // the clone
    std::filesystem::path resourcesDir;  // the programs' resource bundle in the build tree
    std::filesystem::path samplesDir;    // the sample photos scripts/fetch-samples.sh fetched
    std::string guiProgram;              // kestrel
    std::string cliProgram;  // kestrel-cli (in a cross build: the copy that runs emulated)
    // kestrel and kestrel-cli with a slow disk: tests/programs.
    std::string heldSavesGuiProgram;  // kestrel-held-saves
    std::string heldSavesCliProgram;  // kestrel-cli-held-saves
    std::vector<std::string> emulator;  // a cross build's emulator, its words; none natively

    std::filesystem::path testsDir() const { return sourceDir / "tests"; }
    std::filesystem::path fuzzDir() const { return sourceDir / "fuzz"; }
};

// The suite's paths; a missing or incomplete file ends the test program
// with the reason, since no test could find its files without it.
const TestPaths& testPaths();

// Reads a paths file: "key value" lines, "emulator" once per word. Throws
// std::runtime_error naming what is missing.
TestPaths readTestPaths(const std::filesystem::path& file);

}  // namespace kestrel::test
