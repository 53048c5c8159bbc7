#include "devices/CameraChoice.h"

#include "core/platform/Log.h"

namespace kestrel {
namespace {

// The source --camera names, by its own name.
CameraSource namedSource(const CameraSpec& spec) {
    return CameraSource{spec.description(), spec.how(),
                        spec.how() + (spec.argument.empty() ? "" : ":" + spec.argument),
                        CameraSource::Facing::kUnknown, -1};
}

}  // namespace

CameraChoice::CameraChoice(RunLoop& loop, Options options, CameraFinder::Survey survey)
    : loop_(&loop), simulated_(loop, options.heldAs) {
    simulated_.setScene(options.scene);
    simulated_.setPicture(options.scenePicture);
    if (options.mountRotation) simulated_.setMountRotation(*options.mountRotation);
    camera_ = &simulated_;
    if (options.simulate || options.spec.kind == CameraSpec::Kind::kSim) {
        report_ = "simulated (as asked)";
        return;
    }
    if (options.startInBackground) {
        startInBackground(options, std::move(survey));
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
        source = namedSource(options.spec);
        report_ = source->name + " (as asked)";
    }
    real_ = std::make_unique<GstCameraPicker>(
        loop, source ? std::vector{*source} : std::vector<CameraSource>{});
    real_->setMountRotation(options.mountRotation);
    real_->setAvailabilityObserver([this] { cameraChanged(); });
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

CameraChoice::~CameraChoice() {
    if (finder_) finder_->cancel();
    if (chooser_.joinable()) chooser_.join();
}

void CameraChoice::startInBackground(const Options& options, CameraFinder::Survey survey) {
    launching_ = true;
    background_ = true;
    real_ = std::make_unique<GstCameraPicker>(*loop_, std::vector<CameraSource>{});
    real_->setMountRotation(options.mountRotation);
    real_->setAvailabilityObserver([this] { cameraChanged(); });
    if (options.spec.kind != CameraSpec::Kind::kAuto) {
        const CameraSource source = namedSource(options.spec);
        report_ = source.name + " (as asked)";
        launchSource_ = source.name;
        camera_ = real_.get();
        // How it went comes by the loop, either way: the settled observer,
        // given after construction, hears it.
        real_->replaceSources({source});
        return;
    }
    finder_ = std::make_unique<CameraFinder>(options.portalBus, std::move(survey));
    fallback_ = std::make_unique<FallbackCameraPicker>(*real_, simulated_, /*waiting=*/true);
    camera_ = fallback_.get();
    chooseInBackground([this](CameraFinder::Choice choice) {
        report_ = choice.why;
        finder_->watch(*loop_, [this] { lookAgain(); });
        if (!choice.source) return settle();
        launchSource_ = choice.source->name;
        real_->replaceSources({*choice.source});  // settled when it runs or fails
    });
}

void CameraChoice::chooseInBackground(std::function<void(CameraFinder::Choice)> then) {
    if (chooser_.joinable()) chooser_.join();  // its answer has come: it has ended
    choosing_ = true;
    chooser_ = std::thread([this, then = std::move(then), alive = std::weak_ptr<int>(alive_)] {
        finder_->find();
        CameraFinder::Choice choice = finder_->chooseAuto();
        loop_->post([this, then, alive, choice = std::move(choice)]() mutable {
            if (!alive.lock()) return;
            choosing_ = false;
            then(std::move(choice));
        });
    });
}

void CameraChoice::cameraChanged() {
    if (launching_ && !choosing_ && !real_->isStarting()) settle();
    if (fallback_) fallback_->update();
    if (changed_) changed_();
}

void CameraChoice::settle() {
    launching_ = false;
    const bool runs = real_->isSourceAvailable();
    if (!runs && !launchSource_.empty())
        failure_ = launchSource_ + ": " + real_->problem().value_or("");
    if (fallback_) {
        fallback_->endWait();
        if (!runs && !failure_.empty())
            report_ += " (it does not start: " + failure_ + "): the simulated camera";
    }
    if (settled_) settled_();
}

bool CameraChoice::usesRealCamera() const {
    return camera_ == real_.get() || (fallback_ && fallback_->usesRealCamera());
}

void CameraChoice::lookAgain() {
    if (!fallback_ || fallback_->usesRealCamera()) {
        // The real camera's own pipeline says when it goes away.
        return;
    }
    if (real_->isStarting() || choosing_ || launching_) return;  // the last one found is on its way
    if (background_) {
        chooseInBackground([this](CameraFinder::Choice choice) {
            if (!choice.source || !fallback_ || fallback_->usesRealCamera()) return;
            report_ = choice.why;
            real_->replaceSources({*choice.source});
        });
        return;
    }
    finder_->find();
    const CameraFinder::Choice choice = finder_->chooseAuto();
    if (!choice.source) return;
    // Started without waiting: the availability observer takes it over once
    // its frames flow.
    report_ = choice.why;
    real_->replaceSources({*choice.source});
}

}  // namespace kestrel
