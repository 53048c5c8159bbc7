#include "core/camera/MomentCapture.h"

#include <cstdio>

namespace kestrel {

MomentCapture::MomentCapture(RunLoop& loop, CameraPicker& picker, FrameRing::Budget budget)
    : loop_(&loop), picker_(&picker), budget_(budget) {}

MomentCapture::~MomentCapture() {
    if (keeping_) picker_->keepRecentFrames(std::nullopt, false);
}

void MomentCapture::update(const Options& options, bool waiting) {
    const bool keep = waiting && usesFrames(options);
    const bool sharpness = keep && options.pickTheSharpest;
    if (keep == keeping_ && sharpness == sharpness_) return;
    keeping_ = keep;
    sharpness_ = sharpness;
    picker_->keepRecentFrames(keep ? std::optional(budget_) : std::nullopt, sharpness);
}

MomentCapture::Plan MomentCapture::plan(const Options& options,
                                        std::optional<RunLoop::Duration> event) const {
    Plan plan;
    if (!keeping_ || !usesFrames(options)) return plan;  // the next frame
    const RunLoop::Duration now = loop_->now();
    // Without "Catch the Moment" the sharpest frame is looked for around the
    // decision, as the picture would otherwise be taken then.
    const RunLoop::Duration moment = options.catchTheMoment && event ? *event : now;
    plan.event = moment;
    if (options.pickTheSharpest) {
        const RunLoop::Duration half = RunLoop::seconds(kSharpestWindow);
        plan.choice.rule = CameraPicker::StillChoice::Rule::kSharpest;
        plan.choice.from = moment - half;
        plan.choice.to = moment + half;
        if (plan.choice.to > now) plan.wait = plan.choice.to - now;
    } else {
        plan.choice.rule = CameraPicker::StillChoice::Rule::kNearest;
        plan.choice.moment = moment;
    }
    return plan;
}

std::string MomentCapture::describe(const Plan& plan, RunLoop::Duration decided,
                                    std::optional<RunLoop::Duration> frameTime) {
    if (!frameTime) return "still frame: time unknown";
    auto ms = [](RunLoop::Duration d) { return static_cast<double>(d.count()) / 1000.0; };
    char text[160];
    if (plan.event) {
        std::snprintf(text, sizeof text, "still frame at %.3f s: %+.0f ms from the event at %.3f s, %+.0f ms from the decision",
                      RunLoop::toSeconds(*frameTime), ms(*frameTime - *plan.event),
                      RunLoop::toSeconds(*plan.event), ms(*frameTime - decided));
    } else {
        std::snprintf(text, sizeof text, "still frame at %.3f s: %+.0f ms from the decision",
                      RunLoop::toSeconds(*frameTime), ms(*frameTime - decided));
    }
    return text;
}

}  // namespace kestrel
