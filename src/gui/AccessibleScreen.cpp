#include "gui/AccessibleScreen.h"

#include "gui/ElementAccessible.h"

#include <QWidget>

#include <algorithm>

namespace kestrel::gui {

AccessibleScreen::AccessibleScreen(QWidget& window, std::function<std::vector<Element>()> elements,
                                   std::function<void(Point)> tap)
    : window_(&window), read_(std::move(elements)), tap_(std::move(tap)) {}

AccessibleScreen::~AccessibleScreen() {
    elements_.clear();
    purge();
}

void AccessibleScreen::refresh() {
    elements_ = read_();
    if (!QAccessible::isActive()) return;
    // Tell what changed on the screen: a count-down number, a label's text, a level, a switch.
    for (const Element& e : elements_) {
        auto& [name, value] = spoken_[e.key];
        const bool known = ids_.count(e.key) != 0;
        if (known && name != e.name) {
            QAccessibleEvent changed(interfaceAt(indexOf(e.key)), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
        if (known && value != e.value) {
            QAccessibleValueChangeEvent changed(interfaceAt(indexOf(e.key)),
                                                QString::fromStdString(e.value));
            QAccessible::updateAccessibility(&changed);
        }
        name = e.name;
        value = e.value;
    }
}

const AccessibleScreen::Element* AccessibleScreen::element(const std::string& key) const {
    for (const Element& e : elements_)
        if (e.key == key) return &e;
    return nullptr;
}

int AccessibleScreen::indexOf(const std::string& key) const {
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].key == key) return static_cast<int>(i);
    return -1;
}

QAccessibleInterface* AccessibleScreen::interfaceAt(int index) {
    if (index < 0 || index >= static_cast<int>(elements_.size())) return nullptr;
    const std::string& key = elements_[static_cast<std::size_t>(index)].key;
    if (const auto known = ids_.find(key); known != ids_.end())
        return QAccessible::accessibleInterface(known->second);
    auto* made = new ElementAccessible(*this, key);
    ids_[key] = QAccessible::registerAccessibleInterface(made);  // owned by Qt's cache
    return made;
}

QRect AccessibleScreen::globalRect(const Element& element) const {
    const QRectF inWindow = toWindow ? toWindow(element.rect) : element.rect;
    return QRect(window_->mapToGlobal(inWindow.topLeft().toPoint()), inWindow.size().toSize());
}

bool AccessibleScreen::press(const std::string& key) {
    const Element* e = element(key);
    if (!e || !e->actionable() || !e->enabled) return false;
    const QPointF centre = e->rect.center();
    tap_(Point{static_cast<float>(centre.x()), static_cast<float>(centre.y())});
    return true;
}

void AccessibleScreen::moveFocus(bool forward) {
    refresh();
    std::vector<int> acting;
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].actionable() && elements_[i].enabled) acting.push_back(static_cast<int>(i));
    if (acting.empty()) {
        focus_.reset();
        return;
    }
    const int now = focus_ ? indexOf(*focus_) : -1;
    int next = -1;
    if (forward) {
        const auto after = std::upper_bound(acting.begin(), acting.end(), now);
        next = after == acting.end() ? acting.front() : *after;
    } else {
        const auto before = std::lower_bound(acting.begin(), acting.end(), now < 0 ? 1 << 30 : now);
        next = before == acting.begin() ? acting.back() : *(before - 1);
    }
    focus_ = elements_[static_cast<std::size_t>(next)].key;
    if (QAccessible::isActive()) {
        QAccessibleEvent focused(interfaceAt(next), QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
}

void AccessibleScreen::purge() {
    for (auto it = ids_.begin(); it != ids_.end();) {
        if (element(it->first)) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(it->second);
        spoken_.erase(it->first);
        it = ids_.erase(it);
    }
}

}  // namespace kestrel::gui
