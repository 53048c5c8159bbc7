#pragma once

#include "gui/AccessibleScreen.h"

#include <QAccessibleWidget>

namespace kestrel::gui {

// Kestrel's window for assistive technology: a frame named "Kestrel" whose
// children are the painted screen's elements (not one unnamed filler).
class WindowAccessible final : public QAccessibleWidget {
public:
    WindowAccessible(QWidget* window, AccessibleScreen& screen);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;

    // Makes the window's interface this one (once per process).
    static void installFactory();

private:
    AccessibleScreen* screen_;
};

}  // namespace kestrel::gui
