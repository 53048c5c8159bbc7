#include "support/FakePortal.h"
#include "support/TestPaths.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrel::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";  // the one Debian's GObject bindings are for

}  // namespace

FakePortal::FakePortal(const std::string& mode, const std::string& pipewireSocket) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    const std::string script =
        (test::testPaths().testsDir() / "adapters/gst/fake_portal.py").string();
    std::vector<std::string> args{"dbus-run-session", "--", kPython, script, mode};
    if (!pipewireSocket.empty()) args.push_back(pipewireSocket);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    // dbus-daemon's complaints about its file limit are no test's business.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    toFake_ = in[1];
    fromFake_ = out[0];
    if (pid_ < 0) return;
    // Python and a bus daemon come up in a fraction of a second; five is for a loaded machine.
    const auto line = nextLine(std::chrono::seconds(5));
    if (line && line->starts_with("bus ")) bus_ = line->substr(4);
}

FakePortal::~FakePortal() {
    // Its stdin closing ends the fake, and dbus-run-session then ends the bus.
    if (toFake_ >= 0) close(toFake_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    if (fromFake_ >= 0) close(fromFake_);
}

bool FakePortal::available() {
    static const bool found =
        std::system(
            "command -v dbus-run-session >/dev/null 2>&1 && "
            "/usr/bin/python3 -c 'from gi.repository import Gio' >/dev/null 2>&1") == 0;
    return found;
}

std::optional<std::string> FakePortal::nextLine(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::max(std::chrono::milliseconds(0),
                                   std::chrono::duration_cast<std::chrono::milliseconds>(
                                       until - std::chrono::steady_clock::now()));
        pollfd watch{fromFake_, POLLIN, 0};
        if (fromFake_ < 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char buffer[256];
        const ssize_t got = read(fromFake_, buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace kestrel::test
