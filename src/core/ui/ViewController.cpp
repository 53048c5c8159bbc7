#include "core/ui/ViewController.h"

#include "core/ui/DisplayNeeds.h"

#include <algorithm>

namespace kestrel {

ViewController::ViewController(std::shared_ptr<View> view) : view_(std::move(view)) {
    if (view_) view_->setViewController(this);
}

ViewController::~ViewController() {
    if (view_ && view_->nextResponder() == this) view_->setViewController(nullptr);
}

Responder* ViewController::nextResponder() const {
    if (navigation_) return navigation_;
    return parent_;
}

std::vector<ViewController::Transition>& ViewController::transitions() {
    static std::vector<Transition> log;
    return log;
}

void ViewController::presentModalViewController(const std::shared_ptr<ViewController>& controller,
                                                bool animated) {
    if (!controller || modal_ || controller->parent_) return;
    modal_ = controller;
    controller->parent_ = this;
    viewWillDisappear(animated);
    controller->loadViewIfNeeded();
    transitions().push_back({"present", controller.get(), animated});
    DisplayNeeds::note();
    controller->viewWillAppear(animated);
    controller->viewDidAppear(animated);
}

void ViewController::dismissModalViewController(bool animated) {
    if (!modal_) return;
    const std::shared_ptr<ViewController> leaving = std::move(modal_);
    leaving->parent_ = nullptr;
    leaving->viewWillDisappear(animated);
    transitions().push_back({"dismiss", leaving.get(), animated});
    DisplayNeeds::note();
    viewWillAppear(animated);
    viewDidAppear(animated);
}

void ViewController::setDoneButton(std::function<void()> action) {
    auto done = std::make_shared<Button>(Rect{0, 0, 60, 30});
    done->setName("Done");
    done->setAction([action = std::move(action)](Button&) { action(); });
    setRightBarButton(std::move(done));
}

void ViewController::layOut(const ScreenLayout& layout) { view_->setFrame(layout.readingColumn()); }

ViewController& ViewController::topController() {
    ViewController* top = this;
    while (top->modal_)
        top = top->modal_.get();
    return *top;
}

NavigationController::NavigationController(std::shared_ptr<ViewController> root) {
    root->navigation_ = this;
    root->loadViewIfNeeded();
    stack_.push_back(std::move(root));
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller,
                                              bool animated) {
    // A screen already on the stack is not pushed again (two quick taps
    // that each open it): popped once, it would leave itself behind
    // without its navigation controller.
    if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
    stack_.back()->viewWillDisappear(animated);
    controller->navigation_ = this;
    controller->loadViewIfNeeded();
    if (layout_) controller->layOut(*layout_);
    stack_.push_back(std::move(controller));
    transitions().push_back({"push", stack_.back().get(), animated});
    DisplayNeeds::note();
    stack_.back()->viewWillAppear(animated);
    stack_.back()->viewDidAppear(animated);
}

bool NavigationController::tapBar(Point point) {
    const ScreenLayout layout = layout_.value_or(ScreenLayout(ScreenLayout::kPhoneScreen));
    // The whole height of the bar counts: a thumb lands low as often as not.
    const auto across = [&point](const Rect& r) { return point.x >= r.x && point.x < r.x + r.width; };
    if (across(layout.navigationBackButton()) && depth() > 1) {
        popViewController(true);
        return true;
    }
    const auto& right = topViewController().rightBarButton();
    return across(layout.navigationRightButton()) && right && right->press();
}

void NavigationController::popViewController(bool animated) {
    if (stack_.size() <= 1) return;
    const std::shared_ptr<ViewController> leaving = stack_.back();
    leaving->viewWillDisappear(animated);
    transitions().push_back({"pop", leaving.get(), animated});
    DisplayNeeds::note();
    stack_.pop_back();
    leaving->navigation_ = nullptr;
    stack_.back()->viewWillAppear(animated);
    stack_.back()->viewDidAppear(animated);
}

void NavigationController::layOut(const ScreenLayout& layout) {
    layout_ = layout;
    view().setFrame(layout.screenRect());
    for (const auto& controller : stack_) controller->layOut(layout);
}

}  // namespace kestrel
