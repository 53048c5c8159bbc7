#pragma once

#include "core/app/KestrelApp.h"
#include "support/TestPaths.h"

#include <filesystem>

namespace kestrel::test {

// The application's options for a test: settings and camera roll inside the
// test's own folder, the resources of this build.
inline KestrelApp::Options appOptions(const std::filesystem::path& dir) {
    KestrelApp::Options options;
    options.configDir = dir / "config";
    options.dcim = (dir / "DCIM").string();
    options.resources = test::testPaths().resourcesDir;
    options.identity.version = "test";
    return options;
}

}  // namespace kestrel::test
