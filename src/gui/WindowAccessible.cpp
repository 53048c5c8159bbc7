#include "gui/WindowAccessible.h"

#include "gui/KestrelWindow.h"

namespace kestrel::gui {

WindowAccessible::WindowAccessible(QWidget* window, AccessibleScreen& screen)
    : QAccessibleWidget(window, QAccessible::Window, "Kestrel"), screen_(&screen) {}

int WindowAccessible::childCount() const {
    screen_->refresh();
    return static_cast<int>(screen_->elements().size());
}

QAccessibleInterface* WindowAccessible::child(int index) const {
    return screen_->interfaceAt(index);
}

int WindowAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < static_cast<int>(screen_->elements().size()); ++i)
        if (screen_->interfaceAt(i) == child) return i;
    return -1;
}

QAccessibleInterface* WindowAccessible::childAt(int x, int y) const {
    screen_->refresh();
    // The topmost element there: the last drawn.
    for (int i = static_cast<int>(screen_->elements().size()) - 1; i >= 0; --i)
        if (screen_->globalRect(screen_->elements()[static_cast<std::size_t>(i)]).contains(x, y))
            return screen_->interfaceAt(i);
    return nullptr;
}

QAccessibleInterface* WindowAccessible::focusChild() const {
    const auto* focused = screen_->focused();
    return focused ? screen_->interfaceAt(screen_->indexOf(focused->key)) : nullptr;
}

QString WindowAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) return "Kestrel";
    return QAccessibleWidget::text(t);
}

void WindowAccessible::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            auto* window = dynamic_cast<KestrelWindow*>(object);
            return window ? new WindowAccessible(window, window->accessibleScreen()) : nullptr;
        });
        return true;
    }();
    (void)installed;
}

}  // namespace kestrel::gui
