#include "adapters/gst/CameraFinder.h"

#include "core/platform/Log.h"
#include "support/FakePortal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>

#include <sys/stat.h>

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using Sighting = CameraFinder::Sighting;

// A bus nobody listens on: no portal, at once.
std::string noBus(const test::TempDir& dir) { return "unix:path=" + (dir / "no-bus").string(); }

CameraFinder::Survey seeing(std::vector<Sighting> sightings) {
    return [sightings] { return sightings; };
}

Sighting v4l2(const std::string& name, const std::string& device, const std::string& caps = "") {
    return {"v4l2", name, {{"device.path", device}}, caps};
}

// Keeps what is logged while it lives.
class LogRecorder {
public:
    LogRecorder()
        : previous_(Log::setSink([this](Log::Level, std::string_view message) {
              const std::lock_guard lock(mutex_);
              text_ += std::string(message) + "\n";
          })) {}
    ~LogRecorder() { Log::setSink(std::move(previous_)); }
    std::string text() {
        const std::lock_guard lock(mutex_);
        return text_;
    }

private:
    std::mutex mutex_;
    std::string text_;
    Log::Sink previous_;
};

TEST(CameraFinderTest, EachCameraOnceByItsBestWayWithItsFacingAndLargestFormats) {
    test::TempDir dir;
    const std::string webcamCaps =
        "image/jpeg, width=(int)1920, height=(int)1080, framerate=(fraction)30/1; "
        "video/x-raw, format=(string)YUY2, width=(int)2592, height=(int)1944, "
        "framerate=(fraction)2/1; "
        "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, "
        "framerate=(fraction){ 30/1, 15/1 }";
    CameraFinder finder(
        noBus(dir),
        seeing({
            v4l2("USB Camera", "/dev/video0", webcamCaps),
            // Two alike webcams: the same name, two cameras.
            v4l2("USB Camera", "/dev/video2"),
            {"libcamera",
             "ov5640",
             {{"camera-name", "/base/i2c@ov5640"}},
             "video/x-raw, format=(string)NV12, width=(int)2592, height=(int)1944, "
             "framerate=(fraction)[ 1/1, 15/1 ]"},
            // The second webcam again, and the libcamera sensor, through PipeWire.
            {"pipewire",
             "USB Camera",
             {{"object.serial", "57"}, {"api.v4l2.path", "/dev/video2"}},
             ""},
            {"pipewire",
             "Front camera",
             {{"object.serial", "61"},
              {"api.libcamera.path", "/base/i2c@ov5640"},
              {"api.libcamera.location", "front"}},
             ""},
            // Seen by name only on one side: taken as one camera.
            {"pipewire",
             "Integrated Webcam",
             {{"node.name", "v4l2_input.webcam"}},
             "video/x-raw, format=(string)YUY2, width=(int)[ 160, 1280 ], "
             "height=(int)[ 120, 720 ], framerate=(fraction)[ 1/1, 30/1 ]"},
            v4l2("Integrated Webcam", "/dev/video4"),
            {"screen-capture", "Desktop", {}, ""},  // not a camera provider Kestrel knows
        }));
    finder.find();
    const auto& cameras = finder.cameras();
    ASSERT_EQ(cameras.size(), 4u);
    // PipeWire's first, in the order found.
    EXPECT_EQ(cameras[0].source.name, "USB Camera");
    EXPECT_EQ(cameras[0].source.how, "pipewire");
    EXPECT_EQ(cameras[0].source.description,
              "pipewiresrc client-name=Kestrel always-copy=true target-object=\"57\"");
    EXPECT_EQ(cameras[0].source.facing, CameraSource::Facing::kUnknown);
    EXPECT_EQ(cameras[1].source.name, "Front camera");
    EXPECT_EQ(cameras[1].source.how, "pipewire");
    EXPECT_EQ(cameras[1].source.facing, CameraSource::Facing::kFront);
    EXPECT_EQ(cameras[2].source.name, "Integrated Webcam");
    EXPECT_EQ(
        cameras[2].source.description,
        "pipewiresrc client-name=Kestrel always-copy=true target-object=\"v4l2_input.webcam\"");
    EXPECT_EQ(cameras[3].source.name, "USB Camera");
    EXPECT_EQ(cameras[3].source.how, "v4l2");
    EXPECT_EQ(cameras[3].source.description,
              "v4l2src device=\"/dev/video0\" ! capsfilter name=kestrel_source_format ! decodebin");
    // The still: the largest at any rate; the live view: the largest at a live rate.
    EXPECT_EQ(cameras[3].still, "2592x1944 (YUY2, 2 fps)");
    EXPECT_EQ(cameras[3].preview, "1920x1080 (image/jpeg, 30 fps)");
    EXPECT_EQ(cameras[0].still, "none");                           // offered no formats
    EXPECT_EQ(cameras[2].still, "up to 1280x720 (YUY2, 30 fps)");  // a range of sizes
}

TEST(CameraFinderTest, AutoTakesPipeWireThenLibcameraThenV4l2ThenTheSimulatedCamera) {
    test::TempDir dir;
    const Sighting pipewire{"pipewire", "PW", {{"object.serial", "7"}}, ""};
    const Sighting libcamera{"libcamera", "LC", {{"camera-name", "lc0"}}, ""};
    const Sighting webcam = v4l2("V4", "/dev/video0");
    struct Case {
        std::vector<Sighting> seen;
        std::string how;
    };
    for (const Case& c : std::vector<Case>{{{webcam, libcamera, pipewire}, "pipewire"},
                                           {{webcam, libcamera}, "libcamera"},
                                           {{webcam}, "v4l2"}}) {
        CameraFinder finder(noBus(dir), seeing(c.seen));
        finder.find();
        const CameraFinder::Choice choice = finder.chooseAuto();
        ASSERT_TRUE(choice.source) << c.how;
        EXPECT_EQ(choice.source->how, c.how);
        EXPECT_TRUE(choice.why.starts_with("the first camera by " + c.how + " (")) << choice.why;
        // Why not the portal, in the same line.
        EXPECT_NE(choice.why.find("(not the camera portal: no session bus"), std::string::npos)
            << choice.why;
    }
    CameraFinder none(noBus(dir), seeing({}));
    none.find();
    const CameraFinder::Choice choice = none.chooseAuto();
    EXPECT_FALSE(choice.source);
    EXPECT_TRUE(
        choice.why.starts_with("no camera through PipeWire, libcamera or V4L2 (not the "
                               "camera portal: "))
        << choice.why;
    EXPECT_TRUE(choice.why.ends_with("): the simulated camera")) << choice.why;
}

class CameraPortalTest : public testing::Test {
protected:
    void SetUp() override {
        if (!test::FakePortal::available())
            GTEST_SKIP() << "dbus-run-session or python3-gi is missing (scripts/deps.sh test)";
    }
};

TEST_F(CameraPortalTest, AnAllowingPortalIsTakenFirstWithTheRemoteItHandsOut) {
    test::FakePortal portal("allow");
    ASSERT_FALSE(portal.bus().empty());
    CameraFinder finder(portal.bus(), seeing({v4l2("V4", "/dev/video0")}));
    finder.find();
    EXPECT_TRUE(finder.portalProblem().empty()) << finder.portalProblem();
    const CameraFinder::Choice choice = finder.chooseAuto();
    ASSERT_TRUE(choice.source);
    EXPECT_EQ(choice.source->how, "portal");
    EXPECT_EQ(choice.why, "the desktop's camera portal gives the camera");
    // The descriptor is the very socket the portal handed out.
    const int fd = choice.source->pipewireFd;
    ASSERT_GE(fd, 0);
    EXPECT_EQ(choice.source->description,
              "pipewiresrc client-name=Kestrel always-copy=true fd=" + std::to_string(fd));
    struct stat remote {};
    ASSERT_EQ(fstat(fd, &remote), 0);
    EXPECT_EQ(portal.nextLine(2s), "remote " + std::to_string(remote.st_ino));
    // Asking again opens no second remote.
    EXPECT_EQ(finder.chooseAuto().source->pipewireFd, fd);
}

TEST_F(CameraPortalTest, ARefusalOrNoPortalFallsThroughToTheNextCameraWithTheCause) {
    struct Case {
        const char* mode;
        const char* cause;
    };
    for (const Case& c : {Case{"refuse", "the camera was not allowed"},
                          Case{"fail", "the camera portal could not give access"},
                          Case{"nocamera", "the camera portal has no camera"},
                          // Not owned: the bus says so at once, no time-out is waited for.
                          Case{"absent",
                               "the camera portal does not answer: "
                               "GDBus.Error:org.freedesktop.DBus.Error.NameHasNoOwner"}}) {
        test::FakePortal portal(c.mode);
        ASSERT_FALSE(portal.bus().empty()) << c.mode;
        LogRecorder log;
        CameraFinder finder(portal.bus(), seeing({v4l2("V4", "/dev/video0")}));
        finder.find();
        const CameraFinder::Choice choice = finder.chooseAuto();
        ASSERT_TRUE(choice.source) << c.mode;
        EXPECT_EQ(choice.source->how, "v4l2") << c.mode;
        EXPECT_NE(choice.why.find(std::string("(not the camera portal: ") + c.cause),
                  std::string::npos)
            << c.mode << ": " << choice.why;
        EXPECT_TRUE(finder.portalProblem().starts_with(c.cause)) << finder.portalProblem();
        // A portal that is there but says no is logged as it happens.
        if (std::string(c.mode) == "refuse" || std::string(c.mode) == "fail") {
            EXPECT_NE(log.text().find(std::string("camera: ") + c.cause), std::string::npos)
                << log.text();
        }
        // Only an allowing portal hands out a remote.
        EXPECT_EQ(portal.nextLine(0ms), std::nullopt) << c.mode;
    }
}

TEST_F(CameraPortalTest, AWaitForTheUsersAnswerEndsAtOnceWhenCancelledAndNothingIsAskedAfter) {
    // The desktop asks the user, who does not answer: the wait sleeps in
    // the portal's context until cancel() wakes it, not the 60 s limit.
    test::FakePortal portal("ask");
    ASSERT_FALSE(portal.bus().empty());
    CameraFinder finder(portal.bus(), seeing({v4l2("V4", "/dev/video0")}));
    finder.find();
    auto choosing = std::async(std::launch::async, [&] { return finder.chooseAuto(); });
    ASSERT_EQ(portal.nextLine(5s), "asked");
    EXPECT_EQ(choosing.wait_for(100ms), std::future_status::timeout);  // still waiting
    const auto cancelled = std::chrono::steady_clock::now();
    finder.cancel();
    ASSERT_EQ(choosing.wait_for(5s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 2s);
    const CameraFinder::Choice choice = choosing.get();
    ASSERT_TRUE(choice.source);
    EXPECT_EQ(choice.source->how, "v4l2");  // the next camera, as for any unanswered portal
    EXPECT_NE(choice.why.find("no answer from the camera portal"), std::string::npos) << choice.why;
    // Cancelled for good: the portal is not asked again.
    EXPECT_EQ(finder.chooseAuto().source->how, "v4l2");
    EXPECT_EQ(portal.nextLine(200ms), std::nullopt);
}

}  // namespace
}  // namespace kestrel
