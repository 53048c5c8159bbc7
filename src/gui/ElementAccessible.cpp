#include "gui/ElementAccessible.h"

#include <QWidget>
#include <QWindow>

namespace kestrel::gui {

QWindow* ElementAccessible::window() const { return screen_->window().windowHandle(); }

QAccessibleInterface* ElementAccessible::parent() const {
    return QAccessible::queryAccessibleInterface(&screen_->window());
}

QString ElementAccessible::text(QAccessible::Text t) const {
    const auto* e = screen_->element(key_);
    if (!e) return {};
    switch (t) {
        case QAccessible::Name:
            return QString::fromStdString(e->name);
        case QAccessible::Value:
            return QString::fromStdString(e->value);
        default:
            return {};
    }
}

QRect ElementAccessible::rect() const {
    const auto* e = screen_->element(key_);
    return e ? screen_->globalRect(*e) : QRect();
}

QAccessible::Role ElementAccessible::role() const {
    using Kind = ScreenRenderer::Element::Kind;
    const auto* e = screen_->element(key_);
    if (!e) return QAccessible::NoRole;
    switch (e->kind) {
        case Kind::kButton:
        case Kind::kBack:
        case Kind::kBarButton:
            return QAccessible::Button;
        case Kind::kSwitch:
            return QAccessible::CheckBox;
        case Kind::kSegment:
            return QAccessible::RadioButton;
        case Kind::kRow:
            return QAccessible::ListItem;
        case Kind::kLevel:
            return QAccessible::ProgressBar;
        case Kind::kLabel:
            return QAccessible::StaticText;
        case Kind::kNone:
        case Kind::kTable:  // never an element: its rows are
            break;
    }
    return QAccessible::NoRole;
}

QAccessible::State ElementAccessible::state() const {
    QAccessible::State s;
    const auto* e = screen_->element(key_);
    if (!e) {
        s.invisible = true;
        return s;
    }
    using Kind = ScreenRenderer::Element::Kind;
    s.focusable = e->actionable();
    s.focused = screen_->focused() == e;
    s.disabled = !e->enabled;
    s.checkable = e->kind == Kind::kSwitch || e->kind == Kind::kSegment;
    s.checked = e->checked;
    return s;
}

void* ElementAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

QStringList ElementAccessible::actionNames() const {
    const auto* e = screen_->element(key_);
    if (!e || !e->actionable()) return {};
    if (e->kind == ScreenRenderer::Element::Kind::kSwitch) return {toggleAction()};
    return {pressAction()};
}

void ElementAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() || actionName == toggleAction()) screen_->press(key_);
}

}  // namespace kestrel::gui
