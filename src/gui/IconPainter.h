#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

namespace kestrel::gui {

// Kestrel's own icons, drawn in code for every image name the screens use
// ("camera.png", "Mode_Timer_on.png", ...): a name ending in "_on" is the
// lit (selected) face. Unknown names draw nothing and answer NO.
class IconPainter {
public:
    static bool paint(QPainter& painter, const QString& name, const QRectF& box);
    // Every name the screens use, for tests and the resource check.
    static QStringList names();

private:
    static constexpr int kLargestCached = 256;  // pixels a side; larger ones are drawn each time
    static constexpr qsizetype kCacheSize = 256;
    static bool draw(QPainter& painter, const QString& name, const QRectF& box);
};

}  // namespace kestrel::gui
