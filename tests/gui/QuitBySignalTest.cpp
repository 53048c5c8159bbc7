// The real programs, started as a user starts them and ended by a signal, as
// a logout, a shutdown or kill ends them: the photo being saved and the
// settings just changed are on disk afterwards.
#include "core/imaging/JpegCodec.h"
#include "core/platform/PlistPreferenceStore.h"
#include "core/platform/PreferenceLocation.h"
#include "core/settings/Camera1Data.h"
#include "core/store/SaverQueue.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(90);  // only reached when something is broken

// A program running with its output read through pipes.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment) {
        int outPipe[2], errPipe[2];
        if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
        posix_spawn_file_actions_addclose(&actions, outPipe[0]);
        posix_spawn_file_actions_addclose(&actions, errPipe[0]);
        std::vector<std::string> environment(extraEnvironment);
        for (char** variable = environ; *variable; ++variable) environment.emplace_back(*variable);
        std::vector<char*> argv, envp;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(outPipe[1]);
        close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    // Reads until `text` shows in the output or the error stream; NO when the
    // program ended first or took too long.
    bool waitFor(const std::string& text) {
        const auto until = Clock::now() + kPatience;
        while (out.find(text) == std::string::npos && err.find(text) == std::string::npos) {
            if (Clock::now() > until || !readSome(until)) return false;
        }
        return true;
    }
    void signal(int number) const { kill(pid_, number); }
    // Reads to the end and answers the wait status; -1 after too long.
    int finish() {
        const auto until = Clock::now() + kPatience;
        while (readSome(until)) {
        }
        int status = 0;
        while (Clock::now() < until) {
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return status;
            }
            poll(nullptr, 0, 20);
        }
        return -1;
    }

    std::string out;
    std::string err;

private:
    // One read from whichever stream has something; NO at the end of both.
    bool readSome(Clock::time_point until) {
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (fds[0].fd < 0 && fds[1].fd < 0) return false;
        if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            int& fd = i == 0 ? out_ : err_;
            if (n <= 0) {
                close(fd);
                fd = -1;
            } else {
                (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        return out_ >= 0 || err_ >= 0;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

class QuitBySignalTest : public ::testing::Test {
protected:
    QuitBySignalTest() {
        // A known start: Sound mode (the last in the settings' order, so the
        // next-mode key gives Standard, which shoots at once) and auto-save on.
        EXPECT_EQ(test::runCli({"--config-dir", config().string(), "settings", "set", "camera mode", "5"}).status, 0);
        EXPECT_EQ(test::runCli({"--config-dir", config().string(), "settings", "set", "auto save", "yes"}).status, 0);
    }
    fs::path config() const { return dir / "config"; }
    fs::path dcim() const { return dir / "DCIM"; }
    std::vector<std::string> windowEnvironment(const std::string& saveDelay) const {
        // No session bus: each window runs on its own, whatever Kestrel the desktop runs.
        std::vector<std::string> environment{
            "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (dir / "run").string(),
            "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir / "run" / "no-bus").string()};
        if (!saveDelay.empty())
            environment.push_back(std::string(SaverQueue::kDelayVariable) + "=" + saveDelay);
        return environment;
    }
    int storedMode() const {
        const PlistPreferenceStore stored(PreferenceLocation::preferenceFile(config()));
        return stored.integerForKey("camera mode");
    }
    std::vector<fs::path> photos() const {
        std::vector<fs::path> found;
        if (!fs::exists(dcim() / "100APPLE")) return found;
        for (const auto& entry : fs::directory_iterator(dcim() / "100APPLE"))
            if (entry.is_regular_file()) found.push_back(entry.path());
        return found;
    }
    static void expectWholePhoto(const fs::path& photo) {
        const auto decoded = JpegCodec::decode(test::JpegBytes::read(photo));
        ASSERT_TRUE(decoded) << photo;
        EXPECT_GT(decoded->width(), 0);
    }

    test::TempDir dir;
};

TEST_F(QuitBySignalTest, TheWindowEndedMidSaveKeepsThePhotoAndTheSetting) {
    fs::create_directories(dir / "run");
    Child kestrel({KESTREL_GUI_PROGRAM, "--simulate", "--config-dir", config().string(), "--dcim",
                   dcim().string(), "--press", "m space"},
                  windowEnvironment("1.5"));
    ASSERT_TRUE(kestrel.started());
    ASSERT_TRUE(kestrel.waitFor("holding this save")) << kestrel.err;  // the save is under way
    kestrel.signal(SIGTERM);
    const int status = kestrel.finish();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << kestrel.err;
    EXPECT_EQ(WEXITSTATUS(status), 0) << kestrel.err;
    EXPECT_NE(kestrel.err.find("waiting for 1 photo to be saved"), std::string::npos) << kestrel.err;
    const auto saved = photos();
    ASSERT_EQ(saved.size(), 1u) << kestrel.err;  // the photo, and nothing half-written beside it
    EXPECT_EQ(saved[0].filename(), "IMG_0001.JPG");
    expectWholePhoto(saved[0]);
    EXPECT_EQ(storedMode(), Camera1Data::kStandard);
}

TEST_F(QuitBySignalTest, TheWindowEndedRightAfterASettingChangeKeepsIt) {
    fs::create_directories(dir / "run");
    Child kestrel({KESTREL_GUI_PROGRAM, "--simulate", "--config-dir", config().string(), "--dcim",
                   dcim().string(), "--press", "m"},
                  windowEnvironment(""));
    ASSERT_TRUE(kestrel.started());
    ASSERT_TRUE(kestrel.waitFor("pressed m")) << kestrel.err;
    kestrel.signal(SIGTERM);
    const int status = kestrel.finish();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << kestrel.err;
    EXPECT_EQ(WEXITSTATUS(status), 0) << kestrel.err;
    EXPECT_EQ(storedMode(), Camera1Data::kStandard);
    EXPECT_TRUE(photos().empty());
}

TEST_F(QuitBySignalTest, AShootInterruptedMidSaveKeepsThePhotoAndSaysSo) {
    Child cli({KESTREL_CLI_PROGRAM, "--config-dir", config().string(), "shoot", "--mode", "1",
               "--count", "3", "--dcim", dcim().string()},
              {std::string(SaverQueue::kDelayVariable) + "=1.5"});
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.waitFor("holding this save")) << cli.err;
    cli.signal(SIGINT);
    const int status = cli.finish();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << cli.err;
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << cli.err;
    EXPECT_NE(cli.err.find("1 of 3 pictures saved"), std::string::npos) << cli.err;
    const fs::path photo = dcim() / "100APPLE" / "IMG_0001.JPG";
    EXPECT_EQ(cli.out, photo.string() + "\n");
    expectWholePhoto(photo);
    EXPECT_FALSE(fs::exists(dcim() / "100APPLE" / "IMG_0002.JPG"));
}

}  // namespace
}  // namespace kestrel
