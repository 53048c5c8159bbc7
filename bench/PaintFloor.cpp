// The least a Qt window costs showing 30 pictures a second: a 400 x 600
// widget (Kestrel's default window) that repaints itself on a 33 ms timer,
// as Kestrel's does, filling itself with one colour each time. It puts a
// floor under the live view's CPU figure in compare-camera.sh: what any
// Qt-painted live view pays before it draws a pixel of the picture.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class FillingWidget final : public QWidget {
public:
    FillingWidget() {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(400, 600);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        // Another shade each time, so that every paint changes every pixel.
        p.fillRect(rect(), QColor(shade_, 0, 0));
        shade_ = (shade_ + 1) % 256;
    }

private:
    int shade_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FillingWidget widget;
    widget.show();
    QTimer timer;
    timer.setInterval(33);
    QObject::connect(&timer, &QTimer::timeout, &widget, [&widget] { widget.update(); });
    timer.start();
    return QApplication::exec();
}
