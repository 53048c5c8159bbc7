#include "devices/CameraChoice.h"

#include "core/platform/Log.h"

namespace kestrel {

CameraChoice::CameraChoice(RunLoop& loop, Options options, CameraFinder::Survey survey)
    : loop_(&loop), simulated_(loop, options.heldAs) {
    simulated_.setScene(options.scene);
    if (options.mountRotation) simulated_.setMountRotation(*options.mountRotation);
    camera_ = &simulated_;
    if (options.simulate || options.spec.kind == CameraSpec::Kind::kSim) {
        report_ = "simulated (as asked)";
        return;
    }
    std::optional<CameraSource> source;
    if (options.spec.kind == CameraSpec::Kind::kAuto) {
        finder_ = std::make_unique<CameraFinder>(options.portalBus, std::move(survey));
        finder_->find();
        const CameraFinder::Choice choice = finder_->chooseAuto();
        source = choice.source;
        report_ = choice.why;
    } else {
        source = CameraSource{options.spec.description(), options.spec.how(),
                              options.spec.how() + (options.spec.argument.empty()
                                                        ? ""
                                                        : ":" + options.spec.argument),
                              CameraSource::Facing::kUnknown, -1};
        report_ = source->name + " (as asked)";
    }
    real_ = std::make_unique<GstCameraPicker>(loop, source ? std::vector{*source}
                                                            : std::vector<CameraSource>{});
    real_->setMountRotation(options.mountRotation);
    real_->setAvailabilityObserver([this] {
        if (fallback_) fallback_->update();
        if (changed_) changed_();
    });
    if (source && !real_->start()) failure_ = source->name + ": " + real_->problem().value_or("");
    if (options.spec.kind != CameraSpec::Kind::kAuto || real_->isSourceAvailable()) {
        camera_ = real_.get();
        return;
    }
    // Nothing found: simulated until a camera appears.
    fallback_ = std::make_unique<FallbackCameraPicker>(*real_, simulated_);
    camera_ = fallback_.get();
    if (source) report_ += " (it does not start: " + failure_ + "): the simulated camera";
    finder_->watch(loop, [this] { lookAgain(); });
}

bool CameraChoice::usesRealCamera() const {
    return camera_ == real_.get() || (fallback_ && fallback_->usesRealCamera());
}

void CameraChoice::lookAgain() {
    if (!fallback_ || fallback_->usesRealCamera()) {
        // The real camera's own pipeline says when it goes away.
        return;
    }
    if (real_->isStarting()) return;  // the one found last time is on its way
    finder_->find();
    const CameraFinder::Choice choice = finder_->chooseAuto();
    if (!choice.source) return;
    // Started without waiting: the availability observer takes it over once
    // its frames flow.
    report_ = choice.why;
    real_->replaceSources({*choice.source});
}

}  // namespace kestrel
