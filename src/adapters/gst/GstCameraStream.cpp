#include "adapters/gst/GstCameraStream.h"

#include "adapters/gst/GstCameraPicker.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <memory>
#include <utility>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace kestrel {
namespace {

// GLib's mutexes and thread pools wait on futexes that ThreadSanitizer does
// not see, so the hand-over of the shared state from the thread that starts
// the pipeline to GStreamer's streaming threads is told to it here.
void handOver([[maybe_unused]] void* state) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(state);
#endif
}
void takeOver([[maybe_unused]] void* state) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(state);
#endif
}

std::string errorText(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    std::string text = error ? error->message : "unknown error";
    g_clear_error(&error);
    g_free(debug);
    return text;
}

// A BGRx sample as a picture without copying it: the picture reads the
// sample's buffer in place and lets it go when the last copy of the picture
// is dropped (on whichever thread). Takes over the caller's reference.
Image wrap(GstSample* sample) {
    GstVideoInfo info;
    auto frame = std::make_unique<GstVideoFrame>();
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        !gst_video_frame_map(frame.get(), &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        gst_sample_unref(sample);
        return Image();
    }
    const int width = GST_VIDEO_FRAME_WIDTH(frame.get());
    const int height = GST_VIDEO_FRAME_HEIGHT(frame.get());
    auto* pixels = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(frame.get(), 0));
    const auto stride = static_cast<std::size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(frame.get(), 0));
    GstVideoFrame* mapped = frame.release();
    return Image(Bitmap::adopt(width, height, stride, pixels, [mapped, sample] {
        gst_video_frame_unmap(mapped);
        delete mapped;
        gst_sample_unref(sample);
    }));
}

}  // namespace

GstCameraStream::~GstCameraStream() {
    if (valve) gst_object_unref(valve);
    if (format) gst_object_unref(format);
}

void GstCameraStream::fail(const std::string& cause) {
    {
        std::lock_guard lock(mutex);
        if (failure) return;
        failure = cause;
    }
    changed.notify_all();
    loop->post([self = self.lock(), cause] {
        if (self && self->owner) self->owner->stopped(cause);
    });
}

// A stream that says how its frames must be turned (a phone's camera
// through a source that passes the sensor's mounting on): the live view
// follows on the loop, and stills asked for from then on.
void GstCameraStream::tagSeen(GstCameraStream& shared, GstEvent* event) {
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    gchar* value = nullptr;
    if (!tags || !gst_tag_list_get_string(tags, GST_TAG_IMAGE_ORIENTATION, &value)) return;
    const std::optional<int> rotation = GstCameraPicker::rotationOfTag(value ? value : "");
    g_free(value);
    if (!rotation || shared.tagRotation.exchange(*rotation) == *rotation) return;
    shared.loop->post([self = shared.self.lock()] {
        if (self && self->owner) self->owner->applyPreviewFlip();
    });
}

void GstCameraStream::attach(GstElement* pipeline, const std::shared_ptr<GstCameraStream>& stream) {
    GstAppSinkCallbacks preview{};
    preview.new_sample = [](GstAppSink* sink, gpointer data) {
        takeOver(data);
        GstCameraStream& shared = **static_cast<std::shared_ptr<GstCameraStream>*>(data);
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (!sample) return GST_FLOW_OK;
        GstBuffer* buffer = gst_sample_get_buffer(sample);  // alive while the frame is
        Image frame = wrap(sample);
        if (const auto recent = shared.recentFrames(); recent && recent->measuresSharpness())
            recent->notePreview(shared.format, buffer, frame);
        const bool first = !shared.firstFrame;
        if (first) {
            if (GstPad* pad = gst_element_get_static_pad(shared.format, "src")) {
                if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
                    const GstStructure* s = gst_caps_get_structure(caps, 0);
                    int w = 0, h = 0;
                    gst_structure_get_int(s, "width", &w);
                    gst_structure_get_int(s, "height", &h);
                    shared.width = w;
                    shared.height = h;
                    gst_caps_unref(caps);
                }
                gst_object_unref(pad);
            }
        }
        ++shared.previews;
        Image previous;  // its buffer goes back to GStreamer outside the lock
        {
            std::lock_guard lock(shared.mutex);
            previous = std::exchange(shared.latest, std::move(frame));
            shared.firstFrame = true;
        }
        shared.changed.notify_all();
        if (shared.frameObserved && !shared.framePosted.exchange(true)) {
            shared.loop->post([self = shared.self.lock()] {
                if (!self) return;
                self->framePosted = false;
                if (self->owner) self->owner->frameArrived();
            });
        }
        // Ready for the first still at full size, once the camera has started.
        if (first) {
            shared.stillMemory->prepare(shared.width, shared.height);
            shared.loop->post([self = shared.self.lock()] {
                if (self && self->owner) self->owner->firstFrameCame();
            });
        }
        handOver(data);
        return GST_FLOW_OK;
    };
    GstAppSinkCallbacks still{};
    still.new_sample = [](GstAppSink* sink, gpointer data) {
        takeOver(data);
        const std::shared_ptr<GstCameraStream> shared = *static_cast<std::shared_ptr<GstCameraStream>*>(data);
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (!sample) return GST_FLOW_OK;
        const unsigned request = shared->stillWanted.exchange(0);
        if (request == 0) {  // a frame that slipped through as the gate closed
            gst_sample_unref(sample);
            return GST_FLOW_OK;
        }
        g_object_set(shared->valve, "drop", TRUE, nullptr);
        Image picture = GstRecentFrames::copyBgrx(sample, *shared->stillMemory);
        gst_sample_unref(sample);
        ++shared->stills;
        shared->loop->post([shared, request, picture] {
            if (shared->owner) shared->owner->finish(request, picture);
        });
        handOver(data);
        return GST_FLOW_OK;
    };
    auto sharedCopy = [&stream] {
        auto* copy = new std::shared_ptr<GstCameraStream>(stream);
        handOver(copy);
        return copy;
    };
    auto release = [](gpointer data) {
        takeOver(data);
        delete static_cast<std::shared_ptr<GstCameraStream>*>(data);
    };
    for (auto [name, callbacks] : {std::pair{"kestrel_preview", &preview}, {"kestrel_still", &still}}) {
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), name);
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), callbacks, sharedCopy(), release);
        gst_object_unref(sink);
    }
    // The end of the stream, seen where it leaves the source: the closed
    // still branch never lets it reach its sink, so the pipeline would not say.
    GstPad* sourcePad = gst_element_get_static_pad(stream->format, "src");
    gst_pad_add_probe(
        sourcePad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            takeOver(data);
            GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
            const std::shared_ptr<GstCameraStream>& shared = *static_cast<std::shared_ptr<GstCameraStream>*>(data);
            if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) shared->fail("the source ended (end of stream)");
            if (GST_EVENT_TYPE(event) == GST_EVENT_TAG) tagSeen(*shared, event);
            handOver(data);
            return GST_PAD_PROBE_OK;
        },
        sharedCopy(), release);
    // The source's frames as they come, for the frames kept while a mode waits.
    gst_pad_add_probe(
        sourcePad, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            takeOver(data);
            const std::shared_ptr<GstCameraStream>& shared = *static_cast<std::shared_ptr<GstCameraStream>*>(data);
            if (const auto recent = shared->recentFrames()) {
                GstCaps* caps = gst_pad_get_current_caps(pad);
                recent->add(shared->format, GST_PAD_PROBE_INFO_BUFFER(info), caps);
                if (caps) gst_caps_unref(caps);
            }
            handOver(data);
            return GST_PAD_PROBE_OK;
        },
        sharedCopy(), release);
    gst_object_unref(sourcePad);
    // Failures reach the loop; nothing else is kept.
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) {
            takeOver(data);
            GstCameraStream& shared = **static_cast<std::shared_ptr<GstCameraStream>*>(data);
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) shared.fail(errorText(message));
            gst_message_unref(message);
            handOver(data);
            return GST_BUS_DROP;
        },
        sharedCopy(), release);
    gst_object_unref(bus);
}

}  // namespace kestrel
