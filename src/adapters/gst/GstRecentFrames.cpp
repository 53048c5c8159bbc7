#include "adapters/gst/GstRecentFrames.h"

#include "core/imaging/Sharpness.h"
#include "core/platform/Log.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>

namespace kestrel {

// A source frame as it came: its buffer (referenced or copied) and caps.
class GstRecentFrames::KeptFrame final : public FrameRing::Frame {
public:
    KeptFrame(GstSample* sample, std::shared_ptr<StillMemory> memory)
        : sample_(sample), memory_(std::move(memory)) {}
    ~KeptFrame() override { gst_sample_unref(sample_); }
    KeptFrame(const KeptFrame&) = delete;
    KeptFrame& operator=(const KeptFrame&) = delete;
    Image picture() const override { return convert(sample_, *memory_); }

private:
    GstSample* sample_;
    std::shared_ptr<StillMemory> memory_;
};

GstRecentFrames::GstRecentFrames(FrameRing::Budget budget, bool sharpness,
                                 std::shared_ptr<StillMemory> memory)
    : ring_(budget), sharpness_(sharpness), memory_(std::move(memory)) {}

std::optional<RunLoop::Duration> GstRecentFrames::steadyTime(GstElement* element, GstBuffer* buffer) {
    if (!GST_BUFFER_PTS_IS_VALID(buffer)) return std::nullopt;
    GstClock* clock = gst_element_get_clock(element);
    if (!clock) return std::nullopt;
    const GstClockTime clockNow = gst_clock_get_time(clock);
    const auto steadyNow = std::chrono::steady_clock::now().time_since_epoch();
    gst_object_unref(clock);
    // A live source stamps its frames with their running time; the clock's
    // time of the frame is that plus the base time.
    const GstClockTime captured = GST_BUFFER_PTS(buffer) + gst_element_get_base_time(element);
    const auto ago = std::chrono::nanoseconds(static_cast<std::int64_t>(clockNow) -
                                              static_cast<std::int64_t>(captured));
    return std::chrono::duration_cast<RunLoop::Duration>(steadyNow - ago);
}

bool GstRecentFrames::poolIsSmall(GstBuffer* buffer) const {
    GstBufferPool* pool = buffer->pool;
    if (!pool) return false;
    GstStructure* config = gst_buffer_pool_get_config(pool);
    guint size = 0, min = 0, max = 0;
    const bool known = config && gst_buffer_pool_config_get_params(config, nullptr, &size, &min, &max);
    if (config) gst_structure_free(config);
    if (!known || max == 0) return false;  // the pool grows as needed
    const std::size_t fit = size == 0 ? ring_.budget().maxFrames
                                      : std::min(ring_.budget().maxFrames, ring_.budget().maxBytes / size);
    // The ring would hold every buffer the camera has (and then some for
    // the live view and the still branch).
    return max < fit + 3;
}

void GstRecentFrames::add(GstElement* element, GstBuffer* buffer, GstCaps* caps) {
    const std::optional<RunLoop::Duration> time = steadyTime(element, buffer);
    if (!time || !caps) return;
    GstBuffer* kept = poolIsSmall(buffer) ? gst_buffer_copy_deep(buffer) : gst_buffer_ref(buffer);
    if (!kept) return;
    GstSample* sample = gst_sample_new(kept, caps, nullptr, nullptr);
    gst_buffer_unref(kept);
    ring_.add(*time, gst_buffer_get_size(buffer), std::make_shared<KeptFrame>(sample, memory_));
}

void GstRecentFrames::notePreview(GstElement* element, GstBuffer* buffer, const Image& frame) {
    if (!sharpness_ || !frame) return;
    if (const std::optional<RunLoop::Duration> time = steadyTime(element, buffer))
        ring_.noteSharpness(*time, Sharpness::of(frame.bitmap()));
}

Image GstRecentFrames::copyBgrx(GstSample* sample, StillMemory& memory) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return Image();
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ))
        return Image();
    Image picture = memory.copy(GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                                static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                                static_cast<std::size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0)));
    gst_video_frame_unmap(&frame);
    return picture;
}

Image GstRecentFrames::convert(GstSample* sample, StillMemory& memory) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return Image();
    GstCaps* bgrx = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
                                        GST_VIDEO_INFO_WIDTH(&info), "height", G_TYPE_INT,
                                        GST_VIDEO_INFO_HEIGHT(&info), nullptr);
    GError* error = nullptr;
    GstSample* converted = gst_video_convert_sample(sample, bgrx, 5 * GST_SECOND, &error);
    gst_caps_unref(bgrx);
    if (!converted) {
        Log::warning(std::string("camera: a kept frame could not be converted: ") +
                     (error ? error->message : "unknown error"));
        g_clear_error(&error);
        return Image();
    }
    Image picture = copyBgrx(converted, memory);
    gst_sample_unref(converted);
    return picture;
}

}  // namespace kestrel
