#pragma once

#include "gui/ScreenRenderer.h"

#include <QAccessible>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kestrel::gui {

// The painted screen as assistive technology and the keyboard's focus see
// it: the renderer's elements, each with an accessible interface that keeps
// its id while the element is shown; Tab focus over the ones that act; and
// the changes a screen reader announces (a count-down number, the saving
// text, a sensing level). Pressing an element is a tap at its centre, the
// same path as a finger's. Main thread.
class AccessibleScreen {
public:
    using Element = ScreenRenderer::Element;
    // `refresh` lays the screen out and answers its elements; `tap` taps a screen point.
    AccessibleScreen(QWidget& window, std::function<std::vector<Element>()> elements,
                     std::function<void(Point)> tap);
    ~AccessibleScreen();
    AccessibleScreen(const AccessibleScreen&) = delete;
    AccessibleScreen& operator=(const AccessibleScreen&) = delete;

    // Reads the screen again; tells assistive technology what changed.
    void refresh();
    const std::vector<Element>& elements() const { return elements_; }
    const Element* element(const std::string& key) const;
    // The interface of the element at `index` of elements().
    QAccessibleInterface* interfaceAt(int index);
    int indexOf(const std::string& key) const;
    QWidget& window() const { return *window_; }
    // Where an element lies in global (desktop) coordinates.
    QRect globalRect(const Element& element) const;
    std::function<QRectF(QRectF)> toWindow;  // screen points to window pixels

    // Presses the element as a tap at its centre; NO when it is gone or does not act.
    bool press(const std::string& key);
    // Keyboard focus: the next (or previous) element that acts, round the screen.
    void moveFocus(bool forward);
    void clearFocus() { focus_.reset(); }
    const Element* focused() const { return focus_ ? element(*focus_) : nullptr; }
    // Interfaces of elements no longer shown are let go; not while a caller may hold one.
    void purge();

private:
    QWidget* window_;
    std::function<std::vector<Element>()> read_;
    std::function<void(Point)> tap_;
    std::vector<Element> elements_;
    std::map<std::string, QAccessible::Id> ids_;
    std::map<std::string, std::pair<std::string, std::string>> spoken_;  // name and value last told
    std::optional<std::string> focus_;
};

}  // namespace kestrel::gui
