#include "core/camera/CaptureSession.h"

#include "core/imaging/ImageDraw.h"
#include "core/platform/Log.h"

#include <cmath>
#include <utility>

namespace kestrel {

CaptureSession::CaptureSession(RunLoop& loop, WorkerQueue* worker) : loop_(&loop), worker_(worker) {}

CaptureSession::~CaptureSession() = default;

const char* CaptureSession::name(State state) {
    switch (state) {
        case State::kLive:
            return "live";
        case State::kCapturing:
            return "capturing";
        case State::kProcessing:
            return "processing";
        case State::kReviewing:
            return "reviewing";
        case State::kSaving:
            return "saving";
        case State::kReturning:
            return "returning";
    }
    return "?";
}

void CaptureSession::enter(State state) { state_ = state; }

std::size_t CaptureSession::photosBeforeTheStore() const {
    std::size_t photos = processingToStore_;
    if (capture_ && capture_->finalPhoto && capture_->autoSave) ++photos;
    for (const Waiting& waiting : queued_)
        if (waiting.autoSave) ++photos;
    if (state_ == State::kReviewing && shownAutoSave_) ++photos;
    return photos;
}

bool CaptureSession::mayRequest(bool finalPhoto) const {
    if (capture_) return false;
    if (state_ == State::kLive) return true;
    // Behind a picture already bound for the store, only a final one, and
    // only while the ones ahead of it go to the store by themselves.
    if (!finalPhoto) return false;
    const bool aheadAutoSave =
        state_ == State::kSaving || state_ == State::kReturning ||
        (state_ == State::kReviewing && shownAutoSave_) ||
        (state_ == State::kProcessing && processing_ == processingToStore_);
    if (!aheadAutoSave) return false;
    if (queued_.size() + processing_ >= kMaxBehind) {
        Log::warning("camera: " + std::to_string(queued_.size() + processing_) +
                     " pictures already wait to be saved; this one is not taken");
        if (trace_) trace_("picture skipped: saves behind");
        return false;
    }
    return true;
}

void CaptureSession::requested(bool finalPhoto, CameraHandler::Recipe recipe, bool autoSave,
                               std::string reason) {
    capture_ = Shot{finalPhoto, autoSave, std::move(recipe), Taking{std::move(reason), {}}};
    if (state_ == State::kLive) enter(State::kCapturing);
}

bool CaptureSession::arrived(const Image& picture, RunLoop::Duration capturedAt) {
    if (!capture_) return false;  // not asked for (the session was reset)
    Shot shot = std::move(*capture_);
    capture_.reset();
    shot.taking.capturedAt = capturedAt;
    if (!picture) {
        if (state_ == State::kCapturing) enter(stateBehind());
        return false;
    }
    if (state_ == State::kCapturing) enter(State::kProcessing);
    process(picture, std::move(shot));
    return true;
}

void CaptureSession::process(const Image& picture, Shot shot) {
    ++processing_;
    const bool toStore = shot.finalPhoto && shot.autoSave;
    if (toStore) ++processingToStore_;
    const Size pixels = shownPixels_;
    const bool finalPhoto = shot.finalPhoto;
    const bool autoSave = shot.autoSave;
    const Taking taking = std::move(shot.taking);
    auto work = std::make_shared<std::function<Processed()>>(
        [picture, recipe = std::move(shot.recipe), pixels, finalPhoto] {
            Processed result;
            result.finalPhoto = finalPhoto;
            result.full = recipe ? recipe(picture) : picture;
            if (!result.full) result.full = picture;  // a failed recipe keeps the picture as taken
            result.shown = shownFor(result.full, pixels);
            return result;
        });
    std::weak_ptr<int> alive = alive_;
    if (WorkerQueue* worker = worker_) {
        if (worker->enqueue([this, alive, worker, work, autoSave, taking] {
                auto result = std::make_shared<Processed>((*work)());
                worker->complete([this, alive, result, autoSave, taking] {
                    if (alive.lock()) processedArrived(*result, autoSave, taking);
                });
            }))
            return;
        // The worker has stopped (the application is quitting): the picture
        // is processed on the main loop rather than lost.
        Log::warning("camera: the photo worker has stopped; this picture is processed here");
    }
    loop_->post([this, alive, work, autoSave, taking] {
        if (alive.lock()) processedArrived((*work)(), autoSave, taking);
    });
}

void CaptureSession::processedArrived(const Processed& result, bool autoSave, const Taking& taking) {
    --processing_;
    if (result.finalPhoto && autoSave) --processingToStore_;
    if (!result.finalPhoto) {
        if (state_ == State::kProcessing && processing_ == 0) enter(stateBehind());
        if (onFirstPhoto_) onFirstPhoto_(result);
        return;
    }
    queued_.push_back(Waiting{result, autoSave, taking});
    if (state_ == State::kProcessing || state_ == State::kLive || state_ == State::kCapturing)
        showNext();
    else if (trace_)
        trace_("save queued");
}

bool CaptureSession::showNext() {
    if (queued_.empty()) return false;
    Waiting next = std::move(queued_.front());
    queued_.pop_front();
    image_ = std::move(next.picture.full);
    shown_ = std::move(next.picture.shown);
    shownAutoSave_ = next.autoSave;
    shownTaking_ = std::move(next.taking);
    enter(State::kReviewing);
    if (onShown_) onShown_();
    return true;
}

CaptureSession::State CaptureSession::stateBehind() const {
    if (processing_ > 0) return State::kProcessing;
    if (capture_) return State::kCapturing;
    return State::kLive;
}

void CaptureSession::saveStarted() {
    if (state_ == State::kReviewing) enter(State::kSaving);
}

bool CaptureSession::saveFinished() { return state_ == State::kSaving && showNext(); }

void CaptureSession::returning() { enter(State::kReturning); }

void CaptureSession::returned() { dropShown(); }

void CaptureSession::retaken() {
    if (state_ == State::kReviewing) dropShown();
}

void CaptureSession::dropShown() {
    image_ = Image();
    shown_ = Image();
    shownAutoSave_ = false;
    shownTaking_ = Taking{};
    enter(stateBehind());
    showNext();
}

Image CaptureSession::shownFor(const Image& picture, Size pixels) {
    if (!picture || pixels.width < 1 || pixels.height < 1) return picture;
    const Size size = picture.size();
    const double scale = std::min(pixels.width / size.width, pixels.height / size.height);
    if (scale >= 1) return picture;
    const Size fitted{static_cast<float>(std::max(1.0, std::round(size.width * scale))),
                      static_cast<float>(std::max(1.0, std::round(size.height * scale)))};
    return ImageDraw::drawPosterImage(picture, fitted);
}

}  // namespace kestrel
