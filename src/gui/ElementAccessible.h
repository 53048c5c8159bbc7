#pragma once

#include "gui/AccessibleScreen.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>

#include <string>

namespace kestrel::gui {

// One painted element of the screen for assistive technology: its role,
// name, value, state and place, and for those that act, the press (or
// toggle) action, which taps it. Valid while the element is shown.
class ElementAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ElementAccessible(AccessibleScreen& screen, std::string key)
        : screen_(&screen), key_(std::move(key)) {}

    bool isValid() const override { return screen_->element(key_) != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    AccessibleScreen* screen_;
    std::string key_;
};

}  // namespace kestrel::gui
