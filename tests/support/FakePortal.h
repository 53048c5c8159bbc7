#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <sys/types.h>

namespace kestrel::test {

// The desktop's camera portal played by tests/adapters/gst/fake_portal.py on
// a private session bus (dbus-run-session) of its own: `mode` is allow,
// refuse, fail, ask (never answers), nocamera or absent (the bus without the
// portal). Its remote
// is a socket connected to `pipewireSocket` when given, else one the fake
// watches. Gone, with its bus, when this object goes.
class FakePortal {
public:
    explicit FakePortal(const std::string& mode, const std::string& pipewireSocket = "");
    ~FakePortal();
    FakePortal(const FakePortal&) = delete;
    FakePortal& operator=(const FakePortal&) = delete;

    // Whether dbus-run-session and Python's GObject bindings are installed.
    static bool available();
    // The private bus's address; empty when the fake did not come up.
    const std::string& bus() const { return bus_; }
    // The next line the fake says ("remote INODE" for each remote handed
    // out; in ask mode "asked" for each AccessCamera), within `timeout`.
    std::optional<std::string> nextLine(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int toFake_ = -1;
    int fromFake_ = -1;
    std::string pending_;
    std::string bus_;
};

}  // namespace kestrel::test
