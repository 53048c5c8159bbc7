#pragma once

#include "adapters/gst/GstRecentFrames.h"
#include "adapters/gst/StillMemory.h"
#include "core/base/Image.h"
#include "core/platform/RunLoop.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstEvent GstEvent;

namespace kestrel {

class GstCameraPicker;

// What a camera's pipeline shares between GStreamer's streaming threads and
// the loop's thread, and the callbacks that run on those threads: the live
// view's frames, the still branch's sample, the source's events and frames
// (for the frames kept while a mode waits) and the bus's failures. What the
// loop must hear of is posted to it, for the picker that owns the stream.
class GstCameraStream {
public:
    GstCameraStream() = default;
    ~GstCameraStream();
    GstCameraStream(const GstCameraStream&) = delete;
    GstCameraStream& operator=(const GstCameraStream&) = delete;

    // Any thread: the first failure wakes start() and stops the camera on the loop.
    void fail(const std::string& cause);
    std::shared_ptr<GstRecentFrames> recentFrames() {
        std::lock_guard lock(mutex);
        return recent;
    }
    // Installs the streaming threads' callbacks on the pipeline's two sinks,
    // on the source's format filter and on the bus, each holding `stream`.
    static void attach(GstElement* pipeline, const std::shared_ptr<GstCameraStream>& stream);

    std::weak_ptr<GstCameraStream> self;
    RunLoop* loop = nullptr;
    GstCameraPicker* owner = nullptr;  // loop thread only: none once the pipeline is closed
    GstElement* valve = nullptr;       // the still branch's gate
    GstElement* format = nullptr;      // the source's negotiated format
    std::shared_ptr<StillMemory> stillMemory;
    std::atomic<unsigned> stillWanted{0};  // the still request being served, 0 for none
    std::atomic<long> previews{0};  // preview frames converted
    std::atomic<long> stills{0};    // stills converted
    std::atomic<int> width{0}, height{0};
    std::atomic<int> tagRotation{-1};  // what the stream's image-orientation tag says, or -1
    std::atomic<bool> frameObserved{false};  // whether the loop wants to hear of new frames
    std::atomic<bool> framePosted{false};    // a new frame's post waits on the loop

    std::mutex mutex;  // guards latest, firstFrame, failure and recent
    std::condition_variable changed;
    Image latest;
    std::shared_ptr<GstRecentFrames> recent;  // while frames are kept
    bool firstFrame = false;
    std::optional<std::string> failure;

private:
    // A tag event from the source's streaming thread.
    static void tagSeen(GstCameraStream& shared, GstEvent* event);
};

}  // namespace kestrel
