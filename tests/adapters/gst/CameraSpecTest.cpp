#include "adapters/gst/CameraSpec.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CameraSpecTest, EachKindOfSourceAndWhatIsRefused) {
    std::string error;
    auto parsed = CameraSpec::parse("gst:videotestsrc pattern=smpte ! video/x-raw,width=64");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->kind, CameraSpec::Kind::kGst);
    EXPECT_EQ(parsed->description(), "videotestsrc pattern=smpte ! video/x-raw,width=64");
    EXPECT_EQ(CameraSpec::parse("pipewire:42")->description(),
              "pipewiresrc client-name=Kestrel always-copy=true target-object=\"42\"");
    EXPECT_EQ(CameraSpec::parse("pipewire")->description(),
              "pipewiresrc client-name=Kestrel always-copy=true");
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

}  // namespace
}  // namespace kestrel
