#include "devices/CameraChoice.h"

#include "core/platform/ManualRunLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrel
