#pragma once

#include "core/ui/View.h"

#include <functional>

namespace kestrel {

// An on/off switch. The user's flip changes the state and sends the action;
// setting the state from code sends nothing.
class Switch : public View {
public:
    using Action = std::function<void(Switch& sender)>;
    using View::View;
    std::string typeName() const override { return "Switch"; }

    bool isOn() const { return on_; }
    void setOn(bool on);
    void setAction(Action action) { action_ = std::move(action); }
    // The user flips it.
    void toggle();
    // A tap turns it over.
    void touchesEnded(const Touch& touch) override;

private:
    bool on_ = false;
    Action action_;
};

}  // namespace kestrel
