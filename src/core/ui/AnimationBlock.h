#pragma once

#include "core/platform/RunLoop.h"
#include "core/ui/View.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

// Every animated change of a view goes through one shared block:
//     bool started = AnimationBlock::animation()->start(view, wants, type);
//     ... change the view's properties ...
//     AnimationBlock::animation()->end(view, started);
// Model values change at once; each closed block is recorded with its view,
// type, duration and the properties changed inside it, for the renderer.
// Blocks never nest and hidden views are never animated. Main thread.
class AnimationBlock {
public:
    enum class Kind { kViewAnimation, kLayerTransition };
    static constexpr int kLastType = 21;
    static constexpr double kViewDuration = 0.75;
    static constexpr double kScaleDuration = 0.5;
    static constexpr double kLayerDuration = 0.6;

    struct Change {
        const View* view;
        std::string property;
        bool operator==(const Change&) const = default;
    };
    struct Record {
        const View* view = nullptr;
        int type = 0;
        Kind kind = Kind::kViewAnimation;
        double duration = 0;
        bool linear = false;
        std::string
            transition;       // view animations: "none", "curlUp", ...; layers: "fade", "push", ...
        std::string subtype;  // layer transitions: "fromRight", ...
        std::vector<Change> changes;
        RunLoop::Duration at{};  // when the block ended (the loop's time; 0 without a loop)
        // How the block's view stood when the block began: where it moves
        // from, even if it was put in place just before and never drawn there.
        Rect fromFrame;
        double fromAlpha = 1;
        View::Transform fromTransform;
    };

    // Becomes the shared instance (while none exists, starts and ends do
    // nothing and changes take effect at once). With a run loop, a did-stop
    // callback runs when the animation has played; without, at its end.
    explicit AnimationBlock(RunLoop* loop = nullptr);
    ~AnimationBlock();
    AnimationBlock(const AnimationBlock&) = delete;
    AnimationBlock& operator=(const AnimationBlock&) = delete;

    static AnimationBlock* animation();

    // One animation block of `type` around `change` on the shared instance
    // (without one, or when it does not start, the change applies at once
    // and didStop runs at once).
    template <class Change>
    static void animate(View* view, bool wanted, int type, Change change,
                        std::function<void()> didStop = nullptr) {
        AnimationBlock* block = animation();
        const bool began = block && block->start(view, wanted, type, didStop);
        change();
        if (block) block->end(view, began);
        if (!began && didStop) didStop();
    }

    bool start(View* view, bool wants, int type, std::function<void()> didStop = nullptr);
    bool start(View* view, bool wants, int type, std::function<void()> didStop, double seconds);
    void end(View* view, bool animated);
    void end(View* view, bool animated, double seconds);

    // rand() modulo 9 mapped 0→4, 1→6, 2→11, 3→8, 4→19, 5→16, 6→15, 7→12, 8→21.
    static int smoothRandom();
    static std::optional<std::string> getType(int type);
    static std::optional<std::string> getSubtype(int type);
    static bool isLayerTransition(int type) { return type == 3 || (type >= 8 && type <= 19); }

    void enable(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    bool started() const { return started_; }
    int type() const { return type_; }
    const View* view() const { return view_; }

    // The blocks ended and not yet taken by a renderer, at most the newest kMaxRecords.
    static constexpr std::size_t kMaxRecords = 512;
    const std::vector<Record>& records() const { return records_; }
    std::vector<Record> takeRecords() { return std::exchange(records_, {}); }

    // Called by views when a property changes.
    static void noteChange(const View* view, const char* property);

private:
    RunLoop* loop_;
    bool enabled_ = true;
    bool started_ = false;
    int type_ = 0;
    View* view_ = nullptr;
    double duration_ = 0;
    Rect fromFrame_;
    double fromAlpha_ = 1;
    View::Transform fromTransform_;
    std::function<void()> didStop_;
    std::vector<Change> pending_;
    std::vector<Record> records_;
};

}  // namespace kestrel
