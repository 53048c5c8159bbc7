#pragma once

#include "core/ui/Button.h"
#include "core/ui/DisplayNeeds.h"
#include "core/ui/Responder.h"
#include "core/ui/ScreenLayout.h"
#include "core/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// A screen: its view, and modal presentation of another controller on top
// of it (animated or not). Appearance callbacks run as the platform runs
// them: the presented controller appears when presented, the presenting one
// appears again when its modal controller is dismissed. Its view's touches
// that no view handles come to it. Main thread.
class ViewController : public Responder {
public:
    explicit ViewController(std::shared_ptr<View> view = std::make_shared<View>(Rect{0, 0, 320,
                                                                                     480}));
    ~ViewController() override;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    View& view() { return *view_; }
    const std::shared_ptr<View>& sharedView() const { return view_; }

    void presentModalViewController(const std::shared_ptr<ViewController>& controller,
                                    bool animated);
    void dismissModalViewController(bool animated);
    ViewController* modalViewController() const { return modal_.get(); }
    ViewController* parentViewController() const { return parent_; }

    // The navigation controller holding it, else the one that presented it.
    Responder* nextResponder() const override;

    // The controller whose view is on screen: the top of the modal chain.
    ViewController& topController();

    // The navigation item: the title and the bar's right button (none by default).
    const std::string& title() const { return title_; }
    void setTitle(std::string title) {
        title_ = std::move(title);
        DisplayNeeds::note();
    }
    const std::shared_ptr<Button>& rightBarButton() const { return rightBarButton_; }
    void setRightBarButton(std::shared_ptr<Button> button) {
        rightBarButton_ = std::move(button);
        DisplayNeeds::note();
    }
    // A "Done" button on the bar's right that calls `action`.
    void setDoneButton(std::function<void()> action);
    // The navigation controller whose stack holds this controller, if any.
    class NavigationController* navigationController() const {
        return navigation_;
    }

    // Once, before the screen first appears: what the interface definition
    // leaves to code (titles, fonts, first contents).
    virtual void viewDidLoad() {}
    void loadViewIfNeeded() {
        if (loaded_) return;
        loaded_ = true;
        viewDidLoad();
    }
    bool isViewLoaded() const { return loaded_; }

    // Places the screen for the window's layout. A screen under a navigation
    // bar is read in the layout's reading column; a screen that uses the
    // whole width places itself.
    virtual void layOut(const ScreenLayout& layout);

    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }

    // Every presentation and dismissal, for the renderer: "present" or "dismiss", animated or not.
    struct Transition {
        std::string kind;
        const ViewController* controller;
        bool animated;
    };
    static std::vector<Transition>& transitions();

private:
    friend class NavigationController;
    std::shared_ptr<View> view_;
    std::shared_ptr<ViewController> modal_;
    ViewController* parent_ = nullptr;
    std::string title_;
    std::shared_ptr<Button> rightBarButton_;
    class NavigationController* navigation_ = nullptr;
    bool loaded_ = false;
};

// A stack of controllers, the top one showing.
class NavigationController : public ViewController {
public:
    explicit NavigationController(std::shared_ptr<ViewController> root);
    // Pushes `controller` on top; one already on the stack stays where it is.
    void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    void popViewController(bool animated);
    ViewController& topViewController() { return *stack_.back(); }
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
    std::size_t depth() const { return stack_.size(); }
    void viewWillAppear(bool animated) override { stack_.back()->viewWillAppear(animated); }
    void viewDidAppear(bool animated) override { stack_.back()->viewDidAppear(animated); }
    void viewWillDisappear(bool animated) override { stack_.back()->viewWillDisappear(animated); }
    // Every screen of the stack, and every screen pushed later, is laid out for `layout`.
    void layOut(const ScreenLayout& layout) override;
    // A tap at `point` on the navigation bar: across the back button's
    // width it goes back a screen (when there is one to go back to), across
    // the right button's it presses the top screen's bar button; elsewhere
    // nothing. Answers whether it did something.
    bool tapBar(Point point);

private:
    std::vector<std::shared_ptr<ViewController>> stack_;
    std::optional<ScreenLayout> layout_;  // none until the window's size is known
};

}  // namespace kestrel
