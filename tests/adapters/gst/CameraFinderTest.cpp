#include "adapters/gst/CameraFinder.h"

#include "adapters/gst/CameraSpec.h"
#include "adapters/gst/GstCameraPicker.h"
#include "core/platform/ManualRunLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

TEST(CameraSpecTest, EachKindOfSourceAndWhatIsRefused) {
    std::string error;
    auto parsed = CameraSpec::parse("gst:videotestsrc pattern=smpte ! video/x-raw,width=64");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->kind, CameraSpec::Kind::kGst);
    EXPECT_EQ(parsed->description(), "videotestsrc pattern=smpte ! video/x-raw,width=64");
    EXPECT_EQ(CameraSpec::parse("pipewire:42")->description(),
              "pipewiresrc client-name=Kestrel target-object=\"42\"");
    EXPECT_EQ(CameraSpec::parse("pipewire")->description(), "pipewiresrc client-name=Kestrel");
    // A name with quotes cannot break out of its property.
    EXPECT_EQ(CameraSpec::parse("libcamera:a \"b\" c")->description(),
              "libcamerasrc camera-name=\"a \\\"b\\\" c\"");
    EXPECT_EQ(CameraSpec::parse("v4l2:/dev/video2")->description(),
              "v4l2src device=\"/dev/video2\" ! capsfilter name=kestrel_source_format ! decodebin");
    EXPECT_EQ(CameraSpec::parse("auto")->kind, CameraSpec::Kind::kAuto);
    EXPECT_EQ(CameraSpec::parse("sim")->kind, CameraSpec::Kind::kSim);
    for (const char* bad : {"gst:", "gst:  ", "v4l2:video0", "sim:1", "webcam", ""}) {
        error.clear();
        EXPECT_FALSE(CameraSpec::parse(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

// A PipeWire daemon of the test's own, with one camera: PipeWire's own test
// video source. No session manager runs, so the test links the camera to
// Kestrel's stream itself, as a session manager would.
class PrivatePipeWire {
public:
    static constexpr const char* kRemote = "kestrel-test";
    static constexpr const char* kNode = "kestrel-test-camera";

    explicit PrivatePipeWire(const std::filesystem::path& dir) : dir_(dir / "run") {
        std::filesystem::create_directories(dir_);
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        const auto conf = dir / "pipewire.conf";
        std::ofstream(conf) << R"(context.properties = { core.daemon = true core.name = )" << kRemote
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
                            << kNode << R"( node.description = "Kestrel test camera" media.class = Video/Source live = true } }
]
)";
        saved_ = {get("XDG_RUNTIME_DIR"), get("PIPEWIRE_REMOTE")};
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("PIPEWIRE_REMOTE", kRemote, 1);
        pid_ = fork();
        if (pid_ == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("pipewire", "pipewire", "-c", conf.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 200 && !std::filesystem::exists(dir_ / kRemote); ++i)
            std::this_thread::sleep_for(5ms);
    }
    ~PrivatePipeWire() {
        if (linker_.joinable()) linker_.join();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        restore("XDG_RUNTIME_DIR", saved_.first);
        restore("PIPEWIRE_REMOTE", saved_.second);
    }
    bool running() const { return pid_ > 0 && std::filesystem::exists(dir_ / kRemote); }
    std::string socket() const { return (dir_ / kRemote).string(); }

    // Links the camera to the stream called `client` once that appears.
    void linkWhenReady(const std::string& client) {
        linker_ = std::thread([client] {
            const std::string command = std::string("pw-link ") + kNode + ":out_0 " + client +
                                        ":in_0 >/dev/null 2>&1";
            for (int i = 0; i < 100; ++i) {
                if (std::system(command.c_str()) == 0) return;
                std::this_thread::sleep_for(10ms);
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
};

bool havePipeWire() { return std::system("command -v pipewire pw-link >/dev/null 2>&1") == 0; }

TEST(CameraFinderTest, APipeWireCameraIsFoundChosenByAutoAndGivesFrames) {
    if (!havePipeWire()) GTEST_SKIP() << "pipewire and pw-link are not installed (scripts/deps.sh test)";
    test::TempDir dir;
    PrivatePipeWire pipewire(dir.path());
    ASSERT_TRUE(pipewire.running());

    CameraFinder finder("unix:path=" + (dir.path() / "no-bus").string());  // no portal here
    finder.find();
    ASSERT_EQ(finder.cameras().size(), 1u);
    const CameraFinder::Camera& camera = finder.cameras()[0];
    EXPECT_EQ(camera.source.how, "pipewire");
    EXPECT_EQ(camera.source.name, "Kestrel test camera");
    const CameraFinder::Choice choice = finder.chooseAuto();
    ASSERT_TRUE(choice.source);
    EXPECT_EQ(choice.source->how, "pipewire");
    EXPECT_NE(choice.why.find("portal"), std::string::npos) << choice.why;  // why not the portal

    ManualRunLoop loop;
    GstCameraPicker picker(loop, {*choice.source});
    pipewire.linkWhenReady("Kestrel");
    ASSERT_TRUE(picker.start(3000ms)) << picker.problem().value_or("");
    EXPECT_TRUE(picker.previewFrame());
    Image still;
    picker.takePicture([&](const Image& picture) { still = picture; });
    for (int i = 0; i < 200 && !still; ++i)
        if (loop.waitForPosts(10ms)) loop.runUntilIdle();
    ASSERT_TRUE(still);
    EXPECT_EQ((std::pair{still.width(), still.height()}), picker.sourceSize());
}

}  // namespace
}  // namespace kestrel
