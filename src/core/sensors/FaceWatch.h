#pragma once

#include "core/base/Image.h"
#include "core/platform/FaceFinder.h"
#include "core/platform/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

class WorkerQueue;

// The faces in the live view, for the Faces mode: each poll hands a preview
// frame, brought within 640 × 480, to the face finder off the main loop (a
// poll while the finder is still busy is skipped), and its result comes back
// on the run loop. The watch counts the faces found and those that smile or
// look at the camera, and holds when the wanted number of them has done so
// in `agreement` results in a row: one poll's answer is not trusted alone
// (a face half turned, a smile caught mid-word). Main thread.
class FaceWatch {
public:
    static constexpr int kPollWidth = 640;
    static constexpr int kPollHeight = 480;
    // What the people must do and how many of them: 1, 2, 3, or kAllFound
    // (every face found, and at least one found).
    static constexpr int kAllFound = 0;
    struct Rule {
        bool smile = true;  // else: look at the camera
        int faces = 1;
        int agreement = 3;  // results in a row
    };
    struct Count {
        int found = 0;
        int smiling = 0;
        int looking = 0;
    };
    // Runs a job off the main loop; none: a worker thread of the watch's own.
    using Runner = std::function<void(std::function<void()> job)>;

    FaceWatch(RunLoop& loop, std::shared_ptr<FaceFinder> finder, Runner runner = nullptr);
    ~FaceWatch();
    FaceWatch(const FaceWatch&) = delete;
    FaceWatch& operator=(const FaceWatch&) = delete;

    void setRule(const Rule& rule) { rule_ = rule; }
    const Rule& rule() const { return rule_; }
    // Hands `frame`, taken at `frameTime` on the loop's clock, to the finder;
    // answers NO when a frame is still on its way (this one is skipped), or
    // when the finder has failed.
    bool poll(const Image& frame, RunLoop::Duration frameTime);
    bool busy() const { return busy_; }
    // The rule has held for `agreement` results in a row.
    bool holds() const { return agreeing_ >= rule_.agreement && rule_.agreement > 0; }
    // The last result's counts.
    const Count& latest() const { return latest_; }
    // The time of the frame of the latest result that kept the rule.
    std::optional<RunLoop::Duration> heldAt() const { return heldAt_; }
    long results() const { return results_; }
    // Why the finder stopped for good, from the first result that said so;
    // empty while it works. A failed finder is asked nothing more.
    const std::string& failure() const { return failure_; }
    // Whether one result keeps the rule.
    static bool keeps(const Count& count, const Rule& rule);
    // The faces that do what the rule asks.
    static int doing(const Count& count, const Rule& rule) {
        return rule.smile ? count.smiling : count.looking;
    }
    // Forgets the results so far; a result still on its way is dropped.
    void reset();

private:
    void take(std::uint64_t generation, const std::vector<FoundFace>& faces,
              const std::string& failure, RunLoop::Duration frameTime);

    RunLoop* loop_;
    std::shared_ptr<FaceFinder> finder_;
    Runner runner_;
    std::unique_ptr<WorkerQueue> worker_;
    Rule rule_;
    Count latest_;
    std::optional<RunLoop::Duration> heldAt_;
    int agreeing_ = 0;
    long results_ = 0;
    std::string failure_;
    bool busy_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace kestrel
