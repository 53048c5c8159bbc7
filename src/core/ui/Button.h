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
    // A touch that ends inside the button presses it, once per tap.
    void touchesEnded(const Touch& touch) override;

private:
    static std::size_t slot(State state);

    bool enabled_ = true;
    bool selected_ = false;
    std::array<std::string, 4> images_;  // normal, highlighted, disabled, selected
    Action action_;
};

class ImageView;

// The toolbar's shutter button: one image for every state at once. It can
// recognise its own image views in its view tree, but nothing starts that
// walk (parse does nothing), so it behaves as a plain image button and
// adjust() has nothing to turn.
class ImageButton : public Button {
public:
    using Button::Button;
    std::string typeName() const override { return "Button"; }

    // The same image for normal, selected, highlighted and disabled.
    void setImage(const std::string& name);
    // One state's image; forgets the recognised image views.
    void setImage(const std::string& name, State state);

    void parse() {}
    void changeOrientation() {
        parse();
        setNeedsDisplay();
    }
    void parseView(View& view, View* superview, int level);
    static View* viewIsType(View& view, const std::string& type, View* superview);
    void recognizeView(View& view, View* superview);
    // Turns the recognised image view for a device orientation (1–4), in
    // one plain animation block; nothing without one.
    void adjust(int orientation);

    View* backgroundView() const { return backgroundView_; }
    View* imageView() const { return imageView_; }

private:
    View* backgroundView_ = nullptr;
    View* imageView_ = nullptr;
};

}  // namespace kestrel
