#include "devices/CameraChoice.h"

#include "core/platform/ManualRunLoop.h"
#include "support/FakePortal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kestrel {
namespace {

// A bus nobody listens on: no portal, at once.
std::string noBus(const test::TempDir& dir) { return "unix:path=" + (dir / "no-bus").string(); }

CameraChoice::Options optionsFor(const std::string& spec, const test::TempDir& dir) {
    CameraChoice::Options options;
    options.spec = *CameraSpec::parse(spec);
    options.portalBus = noBus(dir);
    return options;
}

CameraFinder::Survey seeing(std::vector<CameraFinder::Sighting> sightings) {
    return [sightings] { return sightings; };
}

CameraChoice::Options inBackground(CameraChoice::Options options) {
    options.startInBackground = true;
    return options;
}

// Runs what other threads post to the loop until `done`, for at most five
// seconds: the chooser's thread and GStreamer's run on the real clock.
template <typename Done>
bool runUntil(ManualRunLoop& loop, Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < until)
        if (loop.waitForPosts(std::chrono::milliseconds(10))) loop.runUntilIdle();
    return done();
}

TEST(CameraChoiceTest, AutoFallsBackToTheSimulatedCameraAndSaysSoInOneLine) {
    test::TempDir dir;
    ManualRunLoop loop;
    // Nothing found.
    CameraChoice none(loop, optionsFor("auto", dir), seeing({}));
    EXPECT_FALSE(none.usesRealCamera());
    EXPECT_TRUE(none.camera().isSourceAvailable());  // the simulated camera serves
    EXPECT_TRUE(none.failure().empty());
    ASSERT_NE(none.real(), nullptr);  // waiting for a camera to come
    EXPECT_EQ(none.real()->problem(), "No camera found");
    EXPECT_TRUE(
        none.report().starts_with("no camera through PipeWire, libcamera or V4L2 (not the "
                                  "camera portal: no session bus"))
        << none.report();
    EXPECT_TRUE(none.report().ends_with("): the simulated camera")) << none.report();
    EXPECT_EQ(none.report().find('\n'), std::string::npos);

    // Found, but it does not start: the simulated camera, and the line says why.
    CameraChoice gone(loop, optionsFor("auto", dir),
                      seeing({{"v4l2", "Gone", {{"device.path", "/dev/kestrel-test-none"}}, ""}}));
    EXPECT_FALSE(gone.usesRealCamera());
    EXPECT_TRUE(gone.camera().isSourceAvailable());
    EXPECT_TRUE(gone.failure().starts_with("Gone: ")) << gone.failure();
    EXPECT_GT(gone.failure().size(), std::string("Gone: ").size());
    EXPECT_TRUE(gone.report().starts_with("the first camera by v4l2 (not the camera portal: "))
        << gone.report();
    EXPECT_NE(
        gone.report().find(" (it does not start: " + gone.failure() + "): the simulated camera"),
        std::string::npos)
        << gone.report();
    EXPECT_EQ(gone.report().find('\n'), std::string::npos);
}

TEST(CameraChoiceTest, EachNamedSourceIsUsedAsAskedEvenWhenItDoesNotStart) {
    test::TempDir dir;
    ManualRunLoop loop;
    CameraChoice sim(loop, optionsFor("sim", dir));
    EXPECT_FALSE(sim.usesRealCamera());
    EXPECT_EQ(sim.real(), nullptr);
    EXPECT_EQ(sim.report(), "simulated (as asked)");

    // --simulate wins over any --camera.
    CameraChoice::Options simulated = optionsFor("gst:videotestsrc", dir);
    simulated.simulate = true;
    CameraChoice overridden(loop, simulated);
    EXPECT_FALSE(overridden.usesRealCamera());
    EXPECT_EQ(overridden.report(), "simulated (as asked)");

    const std::string testSource = "gst:videotestsrc ! video/x-raw,width=320,height=240";
    CameraChoice gst(loop, optionsFor(testSource, dir));
    EXPECT_TRUE(gst.usesRealCamera());
    EXPECT_TRUE(gst.failure().empty()) << gst.failure();
    EXPECT_EQ(&gst.camera(), gst.real());
    EXPECT_TRUE(gst.camera().isSourceAvailable());
    EXPECT_EQ(gst.report(), testSource + " (as asked)");
    EXPECT_EQ(gst.real()->sourceSize(), (std::pair{320, 240}));

    // A named camera that is not there is not replaced by the simulated one:
    // the window shows "No camera found", and the failure names the source.
    for (const std::string spec : {"v4l2:/dev/kestrel-test-none", "libcamera:kestrel-test-none"}) {
        CameraChoice missing(loop, optionsFor(spec, dir));
        EXPECT_EQ(&missing.camera(), missing.real()) << spec;
        EXPECT_TRUE(missing.usesRealCamera()) << spec;
        EXPECT_FALSE(missing.camera().isSourceAvailable()) << spec;
        EXPECT_TRUE(missing.failure().starts_with(spec + ": ")) << missing.failure();
        EXPECT_GT(missing.failure().size(), spec.size() + 2) << spec;  // and why
        EXPECT_EQ(missing.report(), spec + " (as asked)");
    }
}

TEST(CameraChoiceTest, StartedInTheBackgroundTheCameraIsStartingUntilItRunsOrFailsThenSettles) {
    test::TempDir dir;
    ManualRunLoop loop;
    struct Case {
        std::string spec;
        CameraFinder::Survey survey;
        bool runs;
        bool real;     // the camera shown is the real one (else the simulated one serves)
        bool failure;  // a source was chosen and does not start
        bool atOnce;   // it fails as it is opened (no such device), before any wait
    };
    const std::string testSource = "gst:videotestsrc ! video/x-raw,width=320,height=240";
    for (const Case& c :
         {Case{testSource, {}, true, true, false, false},
          Case{"v4l2:/dev/kestrel-test-none", {}, false, true, true, true},
          Case{"auto", seeing({}), false, false, false, false},
          Case{"auto", seeing({{"v4l2", "Gone", {{"device.path", "/dev/kestrel-test-none"}}, ""}}),
               false, false, true, false}}) {
        CameraChoice choice(loop, inBackground(optionsFor(c.spec, dir)), c.survey);
        int settled = 0;
        choice.setSettledObserver([&] { ++settled; });
        // Nothing waited for in the constructor: the screen says "Starting
        // camera…" (or at once that there is no camera); the settling comes by the loop.
        EXPECT_FALSE(choice.isSettled()) << c.spec;
        EXPECT_EQ(choice.camera().isStarting(), !c.atOnce) << c.spec;
        EXPECT_FALSE(choice.camera().isSourceAvailable()) << c.spec;
        EXPECT_FALSE(choice.camera().previewFrame()) << c.spec;  // neither camera's picture

        ASSERT_TRUE(runUntil(loop, [&] { return choice.isSettled(); })) << c.spec;
        EXPECT_EQ(settled, 1) << c.spec;
        EXPECT_FALSE(choice.camera().isStarting()) << c.spec;
        EXPECT_EQ(choice.usesRealCamera(), c.real) << c.spec;
        EXPECT_EQ(!choice.failure().empty(), c.failure) << c.spec << ": " << choice.failure();
        // The real camera runs, the simulated one serves, or the named one is missing.
        EXPECT_EQ(choice.camera().isSourceAvailable(), c.runs || !c.real) << c.spec;
        if (c.spec == "auto")
            EXPECT_TRUE(choice.report().ends_with("): the simulated camera")) << choice.report();
        else
            EXPECT_EQ(choice.report(), c.spec + " (as asked)");
        loop.runUntilIdle();
        EXPECT_EQ(settled, 1) << c.spec;  // once
    }
}

TEST(CameraChoiceTest, ThePortalAskingTheUserHoldsNeitherTheLoopNorTheQuit) {
    if (!test::FakePortal::available())
        GTEST_SKIP() << "dbus-run-session or python3-gi is missing (scripts/deps.sh test)";
    test::FakePortal portal("ask");
    ASSERT_FALSE(portal.bus().empty());
    ManualRunLoop loop;
    test::TempDir dir;
    CameraChoice::Options options = inBackground(optionsFor("auto", dir));
    options.portalBus = portal.bus();
    auto choice = std::make_unique<CameraChoice>(
        loop, options, seeing({{"v4l2", "V4", {{"device.path", "/dev/kestrel-test-none"}}, ""}}));
    ASSERT_EQ(portal.nextLine(std::chrono::seconds(5)), "asked");
    // The loop goes on while the desktop asks: the window answers.
    bool ran = false;
    loop.post([&] { ran = true; });
    loop.runUntilIdle();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(choice->camera().isStarting());
    EXPECT_FALSE(choice->isSettled());
    // Quitting meanwhile ends the wait at once.
    const auto quit = std::chrono::steady_clock::now();
    choice.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - quit, std::chrono::seconds(2));
    loop.runUntilIdle();  // its answer, posted as it went, reaches nobody
}

}  // namespace
}  // namespace kestrel
