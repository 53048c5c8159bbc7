#include "core/camera/CameraOverlayView.h"
#include "gui/ScreenRenderer.h"

#include "core/base/Bitmap.h"
#include "core/ui/TableView.h"
#include "support/QtApplication.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

#include <numbers>

namespace kestrel {
namespace {

// A long, thin view turned upright, as the toolbar's labels turn with the device.
TEST(ScreenRendererTest, TouchesFindViewsAsTheyAreDrawnTurnedAndScaled) {
    ViewController screen;
    auto bar = std::make_shared<View>(Rect{100, 100, 100, 20});  // centre (150, 110)
    screen.view().addSubview(bar);
    gui::ScreenRenderer renderer(nullptr, nullptr);
    renderer.prepare(screen);

    EXPECT_EQ(renderer.hitTest({105, 110}).view, bar.get());
    bar->setTransform(View::Transform::rotated(std::numbers::pi / 2));
    // Upright now: the ends of the frame are empty and the bar reaches above and below it.
    EXPECT_EQ(renderer.hitTest({105, 110}).view, &screen.view());
    const auto top = renderer.hitTest({150, 65});
    ASSERT_EQ(top.view, bar.get());
    // Turned clockwise, as the core means a positive angle, the bar's left end is at the top.
    EXPECT_NEAR(top.local.x, 5, 1e-3);
    EXPECT_NEAR(top.local.y, 10, 1e-3);

    bar->setTransform(View::Transform::scaled(0.5));
    EXPECT_EQ(renderer.hitTest({110, 110}).view, &screen.view());
    EXPECT_EQ(renderer.hitTest({130, 110}).view, bar.get());
    bar->setTransform(View::Transform::scaled(0));  // shrunk to nothing: nothing to touch
    EXPECT_EQ(renderer.hitTest({150, 110}).view, &screen.view());
}

// Rows titled by a list the test changes.
class TitledRows final : public TableViewDataSource {
public:
    std::vector<std::string> titles;
    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView&, int) override { return static_cast<int>(titles.size()); }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath path) override {
        auto cell = std::make_shared<TableViewCell>(Rect{0, 0, 320, 44});
        cell->textLabel().setText(titles.at(static_cast<std::size_t>(path.row)));
        return cell;
    }
};

// What assistive technology is told of a table is its rows as they are,
// asked before the screen is drawn again (a reload after a mode chosen, a
// scroll), not the rows of the last paint.
TEST(ScreenRendererTest, ATablesRowsAreNamedAsTheyAreNowNotAsLastDrawn) {
    test::qtApplication();
    ViewController screen;
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 100});
    TitledRows rows;
    rows.titles = {"Grid", "Vibrate"};
    table->setDataSource(&rows);
    screen.view().addSubview(table);
    gui::ScreenRenderer renderer(nullptr, nullptr);
    renderer.setScreenSize(Size{320, 480});
    renderer.prepare(screen);
    auto named = [&renderer] {
        std::vector<std::string> names;
        for (const auto& element : renderer.accessibleElements())
            if (element.kind == gui::ScreenRenderer::Element::Kind::kRow) names.push_back(element.name);
        return names;
    };
    EXPECT_EQ(named(), (std::vector<std::string>{"Grid", "Vibrate"}));
    rows.titles = {"When They Smile", "Repeat", "Grid", "Vibrate"};
    table->reloadData();
    EXPECT_EQ(named(), (std::vector<std::string>{"When They Smile", "Repeat", "Grid"}));
    table->scrollBy(100);
    EXPECT_EQ(named(), (std::vector<std::string>{"Repeat", "Grid", "Vibrate"}));
}

// A camera whose live frame is 1280 x 720: red on the left half, blue on the right.
class TwoColourCamera final : public CameraPicker {
public:
    TwoColourCamera() {
        Bitmap bitmap(1280, 720);
        for (int y = 0; y < 720; ++y)
            for (int x = 0; x < 1280; ++x) bitmap.row(y)[4 * x + (x < 640 ? 2 : 0)] = 255;
        frame_ = Image(std::move(bitmap));
    }
    bool isSourceAvailable() const override { return true; }
    bool isCameraDeviceAvailable(Device) const override { return true; }
    bool isFlashAvailable(Device) const override { return false; }
    Device cameraDevice() const override { return Device::kRear; }
    void setCameraDevice(Device) override {}
    FlashMode flashMode() const override { return FlashMode::kOff; }
    void setFlashMode(FlashMode) override {}
    void takePicture(PictureHandler) override {}
    Image previewFrame() const override { return frame_; }
    void setPreviewScale(double) override {}
    double previewScale() const override { return 1; }
    void setPreviewTranslation(Point) override {}
    Point previewTranslation() const override { return {}; }

private:
    Image frame_;
};

// The live view scales the frame's shown part straight into the picture
// being painted, and blacks out only what it does not cover: every pixel is
// painted once (the window does not clear itself first), and a clip keeps
// its pixels, whichever way the frame is drawn.
TEST(ScreenRendererTest, ThePreviewCoversTheLiveViewAndEveryOtherPixelIsBlack) {
    test::qtApplication();
    ViewController screen;
    screen.view().setFrame(Rect{0, 0, 320, 480});
    TwoColourCamera camera;
    gui::ScreenRenderer renderer(&screen.view(), &camera);
    const QColor unpainted(0, 255, 0);
    for (const double scale : {1.25, 1.3}) {
        for (const auto format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                  QImage::Format_RGB16}) {
            for (const bool clipped : {false, true}) {
                SCOPED_TRACE(testing::Message() << "scale " << scale << ", format " << format
                                                << (clipped ? ", left half clipped" : ""));
                QImage shot(static_cast<int>(320 * scale), static_cast<int>(480 * scale), format);
                shot.fill(unpainted);
                {
                    QPainter p(&shot);
                    if (clipped) p.setClipRect(QRect(0, 0, shot.width() / 2, shot.height()));
                    p.scale(scale, scale);
                    renderer.paint(p, screen);
                }
                // The 16:9 frame shown whole across the portrait live view:
                // 320 × 180 points from y = 124, black above and below.
                const Rect shown = CameraOverlayView::shownRect(Size{320, 427}, Size{1280, 720});
                ASSERT_EQ(shown, (Rect{0, 124, 320, 180}));
                const int top = static_cast<int>(std::ceil(shown.y * scale));
                const int bottom = static_cast<int>((shown.y + shown.height) * scale);  // last whole row
                const int right = clipped ? shot.width() / 2 : shot.width();
                int wrong = 0;
                for (int y = 0; y < shot.height(); ++y)
                    for (int x = 0; x < shot.width(); ++x) {
                        const QColor c = shot.pixelColor(x, y);
                        if (x >= right) {
                            wrong += c != unpainted;
                        } else if (y >= bottom + 1 || y < top - 1) {
                            wrong += c != QColor(Qt::black);
                        } else if (y >= top && y < bottom) {
                            // Red, then blue from the middle on, a pixel or two of blend between.
                            const int middle = shot.width() / 2;
                            if (std::abs(x - middle) > 2)
                                wrong += x < middle ? (c.red() < 240 || c.blue() > 15)
                                                    : (c.blue() < 240 || c.red() > 15);
                            wrong += c.green() > 15;
                        }
                    }
                EXPECT_EQ(wrong, 0);
            }
        }
    }
}

}  // namespace
}  // namespace kestrel
