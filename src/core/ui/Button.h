#pragma once

#include "core/ui/View.h"

#include <array>
#include <functional>
#include <string>

namespace kestrel {

// A button: enabled, selected, an image (resource name) per state, and an
// action sent when it is pressed while enabled and visible.
class Button : public View {
public:
    // The platform's control states: normal 0, highlighted 1, disabled 2, selected 4.
    enum State : int { kNormal = 0, kHighlighted = 1, kDisabled = 2, kSelected = 4 };
    using Action = std::function<void(Button& sender)>;

    using View::View;

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool selected() const { return selected_; }
    void setSelected(bool selected);
    void setImage(const std::string& name, State state);
    const std::string& image(State state) const;
    // The image the button shows now.
    const std::string& currentImage() const;
    void setAction(Action action) { action_ = std::move(action); }
    // A press: sends the action; NO when disabled, hidden or without one.
    bool press();

private:
    static std::size_t slot(State state);

    bool enabled_ = true;
    bool selected_ = false;
    std::array<std::string, 4> images_;  // normal, highlighted, disabled, selected
    Action action_;
};

// The toolbar's shutter button: one image for every state at once.
class ImageButton : public Button {
public:
    using Button::Button;
    void setImage(const std::string& name);
    using Button::setImage;
};

}  // namespace kestrel
