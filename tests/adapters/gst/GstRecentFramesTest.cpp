#include "adapters/gst/GstInit.h"
#include "adapters/gst/GstRecentFrames.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kestrel {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr guint kFrameBytes = kWidth * kHeight * 4;

// A camera's buffer pool of `buffers` BGRx frames, and an element on the
// system clock for the frames' times, as a source's caps filter would be.
class CameraPool {
public:
    explicit CameraPool(guint buffers) {
        initGstreamer();
        caps_ = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
                                    kWidth, "height", G_TYPE_INT, kHeight, nullptr);
        pool_ = gst_buffer_pool_new();
        GstStructure* config = gst_buffer_pool_get_config(pool_);
        gst_buffer_pool_config_set_params(config, caps_, kFrameBytes, buffers, buffers);
        gst_buffer_pool_set_config(pool_, config);
        gst_buffer_pool_set_active(pool_, TRUE);
        element_ = gst_element_factory_make("identity", nullptr);
        GstClock* clock = gst_system_clock_obtain();
        gst_element_set_clock(element_, clock);
        gst_element_set_base_time(element_, gst_clock_get_time(clock));
        gst_object_unref(clock);
    }
    ~CameraPool() {
        gst_object_unref(element_);
        gst_buffer_pool_set_active(pool_, FALSE);
        gst_object_unref(pool_);
        gst_caps_unref(caps_);
    }
    CameraPool(const CameraPool&) = delete;
    CameraPool& operator=(const CameraPool&) = delete;

    // A frame filled with `value`, or none when every buffer is out.
    GstBuffer* frame(std::uint8_t value) {
        GstBuffer* buffer = nullptr;
        GstBufferPoolAcquireParams params{};
        params.flags = GST_BUFFER_POOL_ACQUIRE_FLAG_DONTWAIT;
        if (gst_buffer_pool_acquire_buffer(pool_, &buffer, &params) != GST_FLOW_OK) return nullptr;
        gst_buffer_memset(buffer, 0, value, kFrameBytes);
        GST_BUFFER_PTS(buffer) = 0;
        return buffer;
    }
    // How many of the pool's buffers can be had now.
    int available() {
        std::vector<GstBuffer*> taken;
        while (GstBuffer* buffer = frame(0))
            taken.push_back(buffer);
        for (GstBuffer* buffer : taken)
            gst_buffer_unref(buffer);
        return static_cast<int>(taken.size());
    }
    GstElement* element() const { return element_; }
    GstCaps* caps() const { return caps_; }

private:
    GstCaps* caps_ = nullptr;
    GstBufferPool* pool_ = nullptr;
    GstElement* element_ = nullptr;
};

// Keeps one frame of value 7, lets the camera reuse its buffer for a frame
// of value 200, and answers the kept frame's first byte as converted.
struct KeepOneResult {
    int availableWhileKept = 0;
    int firstByte = -1;
};
KeepOneResult keepOne(CameraPool& camera) {
    GstRecentFrames recent(FrameRing::Budget{}, false, StillMemory::create());
    GstBuffer* buffer = camera.frame(7);
    recent.add(camera.element(), buffer, camera.caps());
    gst_buffer_unref(buffer);  // the camera is done with it
    if (GstBuffer* reused = camera.frame(200)) gst_buffer_unref(reused);
    KeepOneResult result;
    result.availableWhileKept = camera.available();
    const auto kept = recent.ring().nearest(RunLoop::Duration::max());
    if (kept) {
        const Image picture = kept->frame->picture();
        if (picture) result.firstByte = picture.bitmap().data()[0];
    }
    return result;
}

TEST(GstRecentFramesTest, ASmallPoolsFramesAreCopiedSoTheCameraKeepsAllItsBuffers) {
    CameraPool camera(4);  // a V4L2 device's few buffers
    const KeepOneResult result = keepOne(camera);
    EXPECT_EQ(result.availableWhileKept, 4);
    EXPECT_EQ(result.firstByte, 7);  // the copy, not what the buffer holds now
}

TEST(GstRecentFramesTest, ALargePoolsFramesAreHeldByReference) {
    CameraPool camera(80);  // more than the ring's 60 frames and the branches' few
    const KeepOneResult result = keepOne(camera);
    EXPECT_EQ(result.availableWhileKept, 79);  // the ring holds the camera's own buffer
    EXPECT_EQ(result.firstByte, 7);
}

}  // namespace
}  // namespace kestrel
