#include "core/platform/PreferenceLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace kestrel {
namespace {

// Sets or clears an environment variable for one test, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PreferenceLocationTest, CommandLineThenEnvironmentThenXdgThenHome) {
    ScopedEnv home("HOME", "/home/ann");
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv kestrel("KESTREL_CONFIG_DIR", nullptr);
    EXPECT_EQ(PreferenceLocation::preferenceFile(), "/home/ann/.config/kestrel/preferences.plist");
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/cfg");  // invalid: ignored
        EXPECT_EQ(PreferenceLocation::configDirectory(), "/home/ann/.config/kestrel");
    }
    ScopedEnv xdgSet("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(PreferenceLocation::configDirectory(), "/cfg/kestrel");
    ScopedEnv kestrelSet("KESTREL_CONFIG_DIR", "/srv/kestrel");
    EXPECT_EQ(PreferenceLocation::configDirectory(), "/srv/kestrel");
    EXPECT_EQ(PreferenceLocation::preferenceFile(std::filesystem::path("/tmp/x")),
              "/tmp/x/preferences.plist");
}

}  // namespace
}  // namespace kestrel
