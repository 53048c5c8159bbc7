#include "core/sensors/FaceWatch.h"

#include "core/imaging/ImageResizer.h"
#include "core/imaging/ImageUtils.h"
#include "core/platform/WorkerQueue.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// The frame upright, within 640 × 480 at its own shape: the finder's time
// grows with the pixels, and the faces a watch is for are not tiny.
Image pollFrame(const Image& frame) {
    const Image upright = ImageResizer::colorMatch(frame, Size{0, 0});
    const Size size = upright.size();
    const double scale = std::min({1.0, FaceWatch::kPollWidth / static_cast<double>(size.width),
                                   FaceWatch::kPollHeight / static_cast<double>(size.height)});
    if (scale >= 1.0) return upright;
    return ImageUtils::drawPosterImage(
        upright, Size{static_cast<float>(std::max(1.0, std::round(size.width * scale))),
                      static_cast<float>(std::max(1.0, std::round(size.height * scale)))});
}

}  // namespace

FaceWatch::FaceWatch(RunLoop& loop, std::shared_ptr<FaceFinder> finder, Runner runner)
    : loop_(&loop), finder_(std::move(finder)), runner_(std::move(runner)) {
    if (!runner_) {
        worker_ = std::make_unique<WorkerQueue>("face finder", loop);
        runner_ = [worker = worker_.get()](std::function<void()> job) {
            worker->enqueue(std::move(job));
        };
    }
}

// The worker goes first: it lets the frame being looked at finish, and its
// result, posted after, finds the watch gone.
FaceWatch::~FaceWatch() { worker_.reset(); }

bool FaceWatch::poll(const Image& frame, RunLoop::Duration frameTime) {
    if (busy_ || !finder_ || !frame || !failure_.empty()) return false;
    busy_ = true;
    const std::uint64_t generation = generation_;
    RunLoop* loop = loop_;
    runner_([loop, finder = finder_, frame, frameTime, generation,
             alive = std::weak_ptr<int>(alive_), this] {
        std::vector<FoundFace> faces = finder->findFaces(pollFrame(frame));
        std::string failure = finder->failure();
        loop->post([alive, faces = std::move(faces), failure = std::move(failure), frameTime,
                    generation, this] {
            if (alive.lock()) take(generation, faces, failure, frameTime);
        });
    });
    return true;
}

bool FaceWatch::keeps(const Count& count, const Rule& rule) {
    const int doingIt = doing(count, rule);
    if (rule.faces == kAllFound) return count.found > 0 && doingIt == count.found;
    return doingIt >= rule.faces;
}

void FaceWatch::take(std::uint64_t generation, const std::vector<FoundFace>& faces,
                     const std::string& failure, RunLoop::Duration frameTime) {
    if (!failure.empty()) failure_ = failure;  // for good, whenever it was asked
    if (generation != generation_) return;     // asked before a reset
    busy_ = false;
    ++results_;
    Count count;
    for (const FoundFace& face : faces) {
        ++count.found;
        count.smiling += face.smiling ? 1 : 0;
        count.looking += face.lookingAtCamera ? 1 : 0;
    }
    latest_ = count;
    if (keeps(count, rule_)) {
        ++agreeing_;
        heldAt_ = frameTime;
    } else {
        agreeing_ = 0;
        heldAt_.reset();
    }
}

void FaceWatch::reset() {
    ++generation_;
    busy_ = false;
    latest_ = Count{};
    heldAt_.reset();
    agreeing_ = 0;
}

}  // namespace kestrel
