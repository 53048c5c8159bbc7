#pragma once

#include "adapters/gst/StillMemory.h"
#include "core/base/Image.h"
#include "core/platform/FrameRing.h"
#include "core/platform/RunLoop.h"

#include <memory>
#include <optional>

typedef struct _GstBuffer GstBuffer;
typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

namespace kestrel {

// A GStreamer camera's recent frames at full size, as the source delivered
// them (its own layout, unconverted), kept while a mode waits for its
// trigger. A frame is held by reference when its buffer pool has room to
// spare, copied when the pool is small (a V4L2 device's few buffers would
// otherwise all sit in the ring and the camera would stall).
//
// Times here are on the steady (monotonic) clock, as Durations since its
// epoch: the streaming threads cannot read the run loop's clock, and the
// loop's thread turns them into its own when it chooses (see
// GstCameraPicker::takeStill).
//
// Threads: add() and notePreview() on streaming threads, the rest on the
// loop's; the ring takes its own lock.
class GstRecentFrames {
public:
    GstRecentFrames(FrameRing::Budget budget, bool sharpness, std::shared_ptr<StillMemory> memory);

    // A source frame leaving the source's caps filter `element`.
    void add(GstElement* element, GstBuffer* buffer, GstCaps* caps);
    // The live view's frame of the same moment (its buffer carries the
    // source buffer's time), for the sharpness of the kept one.
    void notePreview(GstElement* element, GstBuffer* buffer, const Image& frame);

    const FrameRing& ring() const { return ring_; }
    bool measuresSharpness() const { return sharpness_; }

    // When `buffer` was captured, on the steady clock: its time on the
    // pipeline's clock (timestamp plus the element's base time) carried over
    // to the steady clock by where both clocks stand now. None for a buffer
    // without a timestamp or an element without a clock.
    static std::optional<RunLoop::Duration> steadyTime(GstElement* element, GstBuffer* buffer);
    // A kept sample converted into the working layout (BGRx), copied into
    // still memory; none when it cannot be. Any thread.
    static Image convert(GstSample* sample, StillMemory& memory);
    // A BGRx sample copied row by row (its rows may be padded) into still
    // memory: the sample can go back to GStreamer at once. Any thread.
    static Image copyBgrx(GstSample* sample, StillMemory& memory);

private:
    class KeptFrame;
    // Whether holding buffers of this pool could take all its buffers.
    bool poolIsSmall(GstBuffer* buffer) const;

    FrameRing ring_;
    const bool sharpness_;
    std::shared_ptr<StillMemory> memory_;
};

}  // namespace kestrel
