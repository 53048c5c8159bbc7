#include "adapters/gst/CameraFinder.h"
#include "adapters/gst/GstCameraPicker.h"
#include "core/platform/ManualRunLoop.h"
#include "support/FakePortal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrel {
namespace {

using namespace std::chrono_literals;

// Runs `argv` with its output dropped; its exit status, or -1.
int runQuietly(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A PipeWire daemon of the test's own whose one camera is PipeWire's own
// test video source; this process is its client (XDG_RUNTIME_DIR and
// PIPEWIRE_REMOTE while it lives). No session manager runs, so the test
// links the camera to Kestrel's stream itself, as one would.
class PrivatePipeWire {
public:
    static constexpr const char* kRemote = "kestrel-test";
    static constexpr const char* kNode = "kestrel-test-camera";

    explicit PrivatePipeWire(const std::filesystem::path& dir) : dir_(dir / "run") {
        std::filesystem::create_directories(dir_);
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        const auto conf = dir / "pipewire.conf";
        std::ofstream(conf)
            << "context.properties = { core.daemon = true core.name = " << kRemote
            << R"( support.dbus = false }
context.spa-libs = { support.* = support/libspa-support videotestsrc = videotestsrc/libspa-videotestsrc }
context.modules = [
  { name = libpipewire-module-protocol-native }
  { name = libpipewire-module-spa-node-factory }
  { name = libpipewire-module-client-node }
  { name = libpipewire-module-access args = { } }
  { name = libpipewire-module-adapter }
  { name = libpipewire-module-link-factory }
]
context.objects = [
  { factory = spa-node-factory args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 20000 } }
  { factory = spa-node-factory args = { factory.name = videotestsrc node.name = )"
            << kNode
            << R"( node.description = "Kestrel test camera" media.class = Video/Source live = true } }
]
)";
        saved_ = {get("XDG_RUNTIME_DIR"), get("PIPEWIRE_REMOTE")};
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("PIPEWIRE_REMOTE", kRemote, 1);
        // The daemon goes with this process, however it ends.
        const std::string confPath = conf.string();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("pipewire", "pipewire", "-c", confPath.c_str(), nullptr);
            _exit(127);
        }
        // The daemon is up in a few milliseconds; two seconds is for a loaded machine.
        for (int i = 0; i < 400 && pid_ > 0 && !std::filesystem::exists(dir_ / kRemote); ++i)
            std::this_thread::sleep_for(5ms);
    }
    ~PrivatePipeWire() {
        stopLinking_ = true;
        if (linker_.joinable()) linker_.join();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        restore("XDG_RUNTIME_DIR", saved_.first);
        restore("PIPEWIRE_REMOTE", saved_.second);
    }
    static bool installed() {
        return std::system("command -v pipewire pw-link >/dev/null 2>&1") == 0;
    }
    bool running() const { return pid_ > 0 && std::filesystem::exists(dir_ / kRemote); }
    std::string socket() const { return (dir_ / kRemote).string(); }

    // Links the camera to the stream called `client` once that appears.
    void linkWhenReady(const std::string& client) {
        linker_ = std::thread([this, client] {
            for (int i = 0; i < 150 && !stopLinking_; ++i) {
                if (runQuietly({"pw-link", std::string(kNode) + ":out_0", client + ":in_0"}) == 0)
                    return;
                std::this_thread::sleep_for(20ms);
            }
        });
    }

private:
    static std::optional<std::string> get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    std::filesystem::path dir_;
    pid_t pid_ = -1;
    std::pair<std::optional<std::string>, std::optional<std::string>> saved_;
    std::thread linker_;
    std::atomic<bool> stopLinking_ = false;
};

// Starts `source`, links it, takes a still: the still has the source's size.
void expectFramesAndAFullSizeStill(PrivatePipeWire& pipewire, const CameraSource& source) {
    ManualRunLoop loop;
    GstCameraPicker camera(loop, {source});
    pipewire.linkWhenReady("Kestrel");
    ASSERT_TRUE(camera.start(3000ms)) << camera.problem().value_or("");
    EXPECT_TRUE(camera.previewFrame());
    Image still;
    camera.takePicture([&](const Image& picture) { still = picture; });
    for (int i = 0; i < 300 && !still; ++i)
        if (loop.waitForPosts(10ms)) loop.runUntilIdle();
    ASSERT_TRUE(still);
    EXPECT_GT(still.width(), 0);
    EXPECT_EQ((std::pair{still.width(), still.height()}), camera.sourceSize());
    EXPECT_EQ(camera.stillsConverted(), 1);
}

class PipeWireCameraTest : public testing::Test {
protected:
    void SetUp() override {
        if (!PrivatePipeWire::installed())
            GTEST_SKIP() << "pipewire and pw-link are not installed (scripts/deps.sh test)";
    }
};

TEST_F(PipeWireCameraTest, ThePipeWireCameraIsFoundChosenByAutoAndGivesFullSizeStills) {
    test::TempDir dir;
    PrivatePipeWire pipewire(dir.path());
    ASSERT_TRUE(pipewire.running());
    CameraFinder finder("unix:path=" + (dir / "no-bus").string());  // no portal here
    finder.find();
    ASSERT_FALSE(finder.cameras().empty());  // a machine's own cameras come after PipeWire's
    const CameraFinder::Camera& camera = finder.cameras()[0];
    EXPECT_EQ(camera.source.how, "pipewire");
    EXPECT_EQ(camera.source.name, "Kestrel test camera");
    const CameraFinder::Choice choice = finder.chooseAuto();
    ASSERT_TRUE(choice.source);
    EXPECT_EQ(choice.source->how, "pipewire");
    EXPECT_TRUE(choice.why.starts_with("the first camera by pipewire (not the camera portal: "))
        << choice.why;
    expectFramesAndAFullSizeStill(pipewire, *choice.source);
}

TEST_F(PipeWireCameraTest, ThroughThePortalTheCameraComesOverTheRemoteItHandsOut) {
    if (!test::FakePortal::available())
        GTEST_SKIP() << "dbus-run-session or python3-gi is missing (scripts/deps.sh test)";
    test::TempDir dir;
    PrivatePipeWire pipewire(dir.path());
    ASSERT_TRUE(pipewire.running());
    test::FakePortal portal("allow", pipewire.socket());
    ASSERT_FALSE(portal.bus().empty());
    CameraFinder finder(portal.bus());
    finder.find();
    const CameraFinder::Choice choice = finder.chooseAuto();
    ASSERT_TRUE(choice.source);
    EXPECT_EQ(choice.source->how, "portal");
    expectFramesAndAFullSizeStill(pipewire, *choice.source);
}

}  // namespace
}  // namespace kestrel
