#pragma once

#include "core/base/Image.h"
#include "core/modes/CameraHandler.h"
#include "core/platform/RunLoop.h"
#include "core/platform/WorkerQueue.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Where the camera screen's pictures are on their road, as one state machine:
// the state of the picture the screen shows (live, capturing, processing,
// reviewing, saving, returning to live), plus the pictures of an auto-saved
// series that follow it (asked of the camera, processing, or processed and
// waiting for their save). The events that move it come from the camera
// controller, whoever pressed (the screen, a key, D-Bus, kestrel-cli).
//
// Pictures are processed off the main loop, on `worker`, one at a time in
// the order they were taken, each by the recipe fixed when it was asked for;
// the result comes back to the main loop: an intermediate frame to the
// first-photo observer, a final picture as the one shown (the shown
// observer) or behind it. With each picture goes what its photo records of
// its taking: the reason its mode gave when it was asked for, and the moment
// on the loop's clock the camera took it. Main thread.
class CaptureSession {
public:
    enum class State { kLive, kCapturing, kProcessing, kReviewing, kSaving, kReturning };
    // A picture processed by its recipe, and the same reduced to what the
    // screen shows of it (the picture itself when it is no larger).
    struct Processed {
        bool finalPhoto = true;
        Image full;
        Image shown;
    };
    // At most this many pictures wait behind the one being saved; a further
    // one is not taken (and is logged).
    static constexpr std::size_t kMaxBehind = 8;

    // `worker` none: the pictures are processed on the main loop, posted.
    CaptureSession(RunLoop& loop, WorkerQueue* worker);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // An intermediate frame is processed (the screen is live again).
    void setFirstPhotoObserver(std::function<void(const Processed&)> observer) {
        onFirstPhoto_ = std::move(observer);
    }
    // A final picture has become the one shown, under review (image(), shown()).
    void setShownObserver(std::function<void()> observer) { onShown_ = std::move(observer); }
    // Told of pictures queued or not taken, as one line each.
    void setTraceObserver(std::function<void(const std::string&)> observer) {
        trace_ = std::move(observer);
    }
    // What the screen shows a picture at, in pixels (none: as it is).
    void setShownPixels(Size pixels) { shownPixels_ = pixels; }

    State state() const { return state_; }
    static const char* name(State state);
    // A picture was asked of the camera and has not come yet.
    bool isCapturing() const { return capture_.has_value(); }
    // Pictures on the worker.
    std::size_t processing() const { return processing_; }
    // Processed final pictures waiting for the save under way.
    std::size_t queuedSaves() const { return queued_.size(); }
    // Final pictures that will reach the store without anyone choosing Use
    // and have not been handed to the saver yet: those asked of the camera,
    // processing or waiting, with auto-save on.
    std::size_t photosBeforeTheStore() const;
    // The picture the screen shows (reviewed, saving, returning), or none.
    const Image& image() const { return image_; }
    const Image& shown() const { return shown_; }
    // The picture shown goes to the store without review (auto-save was on
    // when it was asked for).
    bool shownAutoSaves() const { return shownAutoSave_; }
    // Why the picture shown was taken, and when (the loop's clock).
    const std::string& shownReason() const { return shownTaking_.reason; }
    RunLoop::Duration shownCapturedAt() const { return shownTaking_.capturedAt; }

    // --- Events ---
    // Whether a picture may be asked of the camera now. One picture at a
    // time; a final one may follow a picture already bound for the store
    // (an auto-saved series neither skips nor slips), up to kMaxBehind.
    bool mayRequest(bool finalPhoto) const;
    // A picture was asked of the camera; `autoSave`: it goes to the store
    // without review; `reason`: why it is taken, for its photo's record.
    void requested(bool finalPhoto, CameraHandler::Recipe recipe, bool autoSave,
                   std::string reason = "shutter");
    // The camera's answer, taken at `capturedAt` on the loop's clock: none
    // when it failed (answers false; the screen is live again unless a
    // picture is shown).
    bool arrived(const Image& picture, RunLoop::Duration capturedAt);
    // The same, taken as it arrives.
    bool arrived(const Image& picture) { return arrived(picture, loop_->now()); }
    // The picture shown goes to the store.
    void saveStarted();
    // The save of the picture shown finished: the next one waiting, if any,
    // becomes the one shown (answers true); else (false) the screen is to
    // return to the live view.
    bool saveFinished();
    // The return to the live view (the save animation) begins, and ends: a
    // picture that finished processing meanwhile is shown then.
    void returning();
    void returned();
    // The picture under review is dropped.
    void retaken();

    // The picture made smaller to fit `pixels`, its shape kept; any thread.
    static Image shownFor(const Image& picture, Size pixels);

private:
    // What a photo records of its taking.
    struct Taking {
        std::string reason;
        RunLoop::Duration capturedAt{};
    };
    struct Shot {
        bool finalPhoto = true;
        bool autoSave = false;
        CameraHandler::Recipe recipe;
        Taking taking;
    };
    void process(const Image& picture, Shot shot);
    void processedArrived(const Processed& result, bool autoSave, const Taking& taking);
    // The first picture waiting becomes the one shown.
    bool showNext();
    // The picture shown goes; the next one waiting, if any, is shown.
    void dropShown();
    // Live, or what follows behind, when nothing is shown.
    State stateBehind() const;
    void enter(State state);

    RunLoop* loop_;
    WorkerQueue* worker_;
    std::function<void(const Processed&)> onFirstPhoto_;
    std::function<void()> onShown_;
    std::function<void(const std::string&)> trace_;
    Size shownPixels_{};
    State state_ = State::kLive;
    std::optional<Shot> capture_;
    std::size_t processing_ = 0;
    std::size_t processingToStore_ = 0;  // of those, final and auto-saved
    Image image_;
    Image shown_;
    bool shownAutoSave_ = false;
    Taking shownTaking_;
    struct Waiting {
        Processed picture;
        bool autoSave = false;
        Taking taking;
    };
    std::deque<Waiting> queued_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for completions posted to the loop
};

}  // namespace kestrel
