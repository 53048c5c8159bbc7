#include "gui/ScreenRenderer.h"

#include "core/camera/CameraOverlayView.h"
#include "core/imaging/BilinearScaler.h"
#include "core/imaging/ImageResizer.h"
#include "core/ui/Button.h"
#include "core/ui/ImageView.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"
#include "core/ui/TableViewCell.h"
#include "core/ui/TextField.h"
#include "gui/IconPainter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kestrel::gui {
namespace {

QColor toQColor(const Color& c) {
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue), static_cast<float>(c.alpha));
}

QRectF toQRect(const Rect& r) { return QRectF(r.x, r.y, r.width, r.height); }

QFont toQFont(const Font& font) {
    QFont f(QString::fromUtf8(font.family));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size))));
    f.setBold(font.bold);
    return f;
}

const QColor kBlue(0, 122, 255);
const QColor kSeparator(200, 199, 204);

}  // namespace

QImage ScreenRenderer::toQImage(const Image& image) {
    if (!image) return QImage();
    const Image upright =
        image.orientation() == Image::kUp ? image : ImageResizer::colorMatch(image, Size{0, 0});
    auto keep = new std::shared_ptr<const Bitmap>(upright.sharedBitmap());
    const Bitmap& bitmap = **keep;
    const auto format = bitmap.format() == Bitmap::Format::kBGRA
                            ? QImage::Format_ARGB32_Premultiplied
                            : QImage::Format_RGB32;
    return QImage(
        bitmap.data(), bitmap.width(), bitmap.height(),
        static_cast<qsizetype>(bitmap.bytesPerRow()), format,
        [](void* info) { delete static_cast<std::shared_ptr<const Bitmap>*>(info); }, keep);
}

QFont ScreenRenderer::qtFont(const Font& font) { return toQFont(font); }

QFont ScreenRenderer::segmentTitleFont(const SegmentedControl& control) {
    const int n = control.numberOfSegments();
    QFont font = toQFont(Font{kSegmentTitleSize, true});
    if (n <= 0) return font;
    const double room = double{control.frame().width} / n - 2 * kSegmentPadding;
    auto fits = [&](const QFont& f) {
        const QFontMetricsF metrics(f);
        for (int i = 0; i < n; ++i)
            if (metrics.horizontalAdvance(QString::fromStdString(control.titleForSegment(i))) >
                room)
                return false;
        return true;
    };
    // Narrower letters first, then smaller ones, down to the smallest that
    // still reads well; one font for all the segments, so they look alike.
    for (int size = static_cast<int>(kSegmentTitleSize); size >= kSmallestSegmentTitle; --size)
        for (const int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
            font.setPixelSize(size);
            font.setStretch(stretch);
            if (fits(font)) return font;
        }
    return font;  // the smallest: a title still too long ends in "…"
}

void ScreenRenderer::prepare(ViewController& top) {
    navigation_ = dynamic_cast<NavigationController*>(&top);
    ViewController* shown = navigation_ ? &navigation_->topViewController() : &top;
    content_ = &shown->view();
    contentOwner_ = shown->sharedView();
    contentTop_ = navigation_ ? kNavigationBarHeight : 0;
}

void ScreenRenderer::paint(QPainter& p, ViewController& top) {
    prepare(top);
    const Preview preview =
        content_ == cameraView_
            ? placePreview(QTransform::fromTranslate(0, contentTop_) * p.deviceTransform())
            : Preview{};
    fillBlackAround(p, preview.covered);
    now_ = clock_ ? clock_() : now_;
    if (AnimationBlock* block = AnimationBlock::animation())
        player_.take(block->takeRecords(), now_);
    p.save();
    p.translate(0, contentTop_);
    p.setClipRect(QRectF(0, 0, screen_.width, screen_.height - contentTop_), Qt::IntersectClip);
    if (!navigation_ && content_ != cameraView_ && content_->subviews().empty() &&
        !content_->backgroundColor())
        IconPainter::paint(p, "Screen4.png", screenRect());  // between screens
    if (content_ == cameraView_) paintPreview(p, preview);
    if (navigation_ && !content_->backgroundColor())
        p.fillRect(screenRect(), QColor(239, 239, 244));
    paintView(p, *content_);
    p.restore();
    if (navigation_) paintNavigationBar(p, *navigation_);
}

void ScreenRenderer::paintNavigationBar(QPainter& p, NavigationController& navigation) {
    const ScreenLayout layout(screen_);
    const float width = screen_.width;
    const QRectF bar(0, 0, width, kNavigationBarHeight);
    QLinearGradient shade(0, 0, 0, kNavigationBarHeight);
    shade.setColorAt(0, QColor(250, 250, 252));
    shade.setColorAt(1, QColor(225, 226, 230));
    p.fillRect(bar, shade);
    p.setPen(kSeparator);
    p.drawLine(QPointF(0, kNavigationBarHeight - 0.5), QPointF(width, kNavigationBarHeight - 0.5));
    ViewController& top = navigation.topViewController();
    QFont title = toQFont(Font{17, true});
    p.setFont(title);
    p.setPen(Qt::black);
    p.drawText(toQRect(layout.navigationTitle()), Qt::AlignCenter,
               QString::fromStdString(top.title()));
    p.setFont(toQFont(Font{15, false}));
    p.setPen(kBlue);
    if (navigation.depth() > 1) {
        const auto& stack = navigation.viewControllers();
        const std::string back = stack[stack.size() - 2]->title();
        p.drawText(toQRect(layout.navigationBackButton()).adjusted(8, 0, -10, 0),
                   Qt::AlignVCenter | Qt::AlignLeft,
                   "‹ " + QString::fromStdString(back.empty() ? "Back" : back));
    }
    if (const auto& right = top.rightBarButton(); right && !right->hidden()) {
        p.setFont(toQFont(Font{15, true}));
        p.drawText(toQRect(layout.navigationRightButton()).adjusted(10, 0, -8, 0),
                   Qt::AlignVCenter | Qt::AlignRight,
                   QString::fromStdString(right->name()));
    }
}

void ScreenRenderer::fillBlackAround(QPainter& p, const QRect& covered) {
    const QRectF screen = screenRect();
    if (covered.isEmpty()) {
        p.fillRect(screen, Qt::black);
        return;
    }
    // Under the live preview every pixel is drawn anyway: filling it too
    // would write the whole screen once more, thirty times a second.
    const QRegion around =
        QRegion(p.deviceTransform().mapRect(screen).toAlignedRect()).subtracted(covered);
    const qreal ratio = p.device()->devicePixelRatio();
    p.save();
    p.resetTransform();
    for (const QRect& part : around)
        p.fillRect(QRectF(part.x() / ratio, part.y() / ratio, part.width() / ratio,
                          part.height() / ratio),
                   Qt::black);
    p.restore();
}

ScreenRenderer::Preview ScreenRenderer::placePreview(const QTransform& toDevice) {
    Preview preview;
    if (!camera_) return preview;
    // The whole frame is shown, fitted into the live-view area as the core
    // places it; zoomed about its middle and shifted as the camera says, it
    // stays inside the place of the whole frame (what the photo can hold).
    const Rect area = pictureView_ ? pictureView_->frame() : ScreenLayout(screen_).pictureArea();
    preview.area = QRectF(area.x, area.y, area.width, area.height);
    const Size shape = camera_->previewShape();
    const Rect shown = CameraOverlayView::shownRect(Size{area.width, area.height}, shape);
    preview.shown = QRectF(preview.area.x() + shown.x, preview.area.y() + shown.y, shown.width,
                           shown.height);
    const double zoom = std::max(1.0, camera_->previewScale());
    const bool upright = toDevice.type() <= QTransform::TxScale;
    if (sizesPreview_ && upright) {
        const QRectF onDevice = toDevice.mapRect(preview.shown);
        camera_->setPreviewPixels(static_cast<int>(std::lround(onDevice.width() * zoom)),
                                  static_cast<int>(std::lround(onDevice.height() * zoom)));
    }
    preview.frame = toQImage(camera_->previewFrame());
    if (preview.frame.isNull()) return preview;
    const QSizeF size(preview.shown.width() * zoom, preview.shown.height() * zoom);
    const Point shift = camera_->previewTranslation();
    preview.target = QRectF(preview.shown.center().x() - size.width() / 2 + shift.x,
                            preview.shown.center().y() - size.height() / 2 + shift.y, size.width(),
                            size.height());
    preview.onDevice = toDevice.mapRect(preview.target);
    if (upright && preview.frame.format() == QImage::Format_RGB32) {
        // The whole device pixels the frame covers inside its place.
        const QRectF covered = toDevice.mapRect(preview.shown).intersected(preview.onDevice);
        const int left = static_cast<int>(std::lround(covered.left()));
        const int top = static_cast<int>(std::lround(covered.top()));
        preview.covered = QRect(left, top, static_cast<int>(std::lround(covered.right())) - left,
                                static_cast<int>(std::lround(covered.bottom())) - top);
    }
    return preview;
}

void ScreenRenderer::paintPreview(QPainter& p, const Preview& preview) {
    if (preview.frame.isNull()) return;
    QImage frame = preview.frame;
    const QRect& covered = preview.covered;
    const QRectF& onDevice = preview.onDevice;
    p.save();
    if (covered.isEmpty()) {  // turned, or with see-through pixels: the painter's own way
        p.setClipRect(preview.shown, Qt::IntersectClip);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(preview.target, frame);
        p.restore();
        return;
    }
    const qreal ratio = p.device()->devicePixelRatio();
    p.resetTransform();
    p.setClipRect(QRectF(covered.x() / ratio, covered.y() / ratio, covered.width() / ratio,
                         covered.height() / ratio),
                  Qt::IntersectClip);
    if (std::abs(onDevice.width() - frame.width()) < 1 &&
        std::abs(onDevice.height() - frame.height()) < 1) {
        // A frame the camera already scaled to the size it is shown at is
        // copied pixel for pixel.
        frame.setDevicePixelRatio(ratio);  // shared only with this painter: no copy
        p.drawImage(QPointF(std::round(onDevice.x()) / ratio, std::round(onDevice.y()) / ratio),
                    frame);
    } else if (const auto under = pixelsUnder(p, covered)) {
        // Only the pixels shown are scaled, straight into the picture being painted.
        scaleShown(frame, *under, preview);
    } else {
        // Or into a picture kept from the last paint, then copied.
        if (shownPixels_.size() != covered.size())
            shownPixels_ = QImage(covered.size(), QImage::Format_RGB32);
        scaleShown(frame,
                   {shownPixels_.bits(), static_cast<std::size_t>(shownPixels_.bytesPerLine()),
                    shownPixels_.width(), shownPixels_.height()},
                   preview);
        shownPixels_.setDevicePixelRatio(ratio);
        p.drawImage(QPointF(covered.x() / ratio, covered.y() / ratio), shownPixels_);
    }
    p.restore();
}

void ScreenRenderer::scaleShown(const QImage& frame, const BilinearScaler::Target& target,
                                const Preview& preview) {
    BilinearScaler::scale({frame.constBits(), static_cast<std::size_t>(frame.bytesPerLine()),
                           frame.width(), frame.height()},
                          target,
                          {preview.onDevice.x() - preview.covered.x(),
                           preview.onDevice.y() - preview.covered.y(), preview.onDevice.width(),
                           preview.onDevice.height()});
}

std::optional<BilinearScaler::Target> ScreenRenderer::pixelsUnder(QPainter& p, const QRect& rect) {
    // Only where the painter draws opaquely into a 32-bit image in device
    // pixels (the window's backing store, a screenshot), with nothing
    // clipping the rectangle away.
    QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || p.opacity() < 1 ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied)
        return std::nullopt;
    if (!image->rect().contains(rect)) return std::nullopt;
    if (const QRegion clip = engine->systemClip(); !clip.isEmpty() && !clip.contains(rect))
        return std::nullopt;
    const qreal ratio = image->devicePixelRatio();  // the painter's coordinates, reset, are device / ratio
    if (p.hasClipping() &&
        !p.clipBoundingRect().contains(QRectF(rect.x() / ratio, rect.y() / ratio,
                                              rect.width() / ratio, rect.height() / ratio)))
        return std::nullopt;
    // Where the raster engine itself writes: the image is not detached, as
    // bits() would do to an image shared with another.
    const auto bytesPerRow = static_cast<std::size_t>(image->bytesPerLine());
    auto* bits = const_cast<std::uint8_t*>(image->constBits());
    return BilinearScaler::Target{bits + static_cast<std::size_t>(rect.y()) * bytesPerRow +
                                      4 * static_cast<std::size_t>(rect.x()),
                                  bytesPerRow, rect.width(), rect.height()};
}

void ScreenRenderer::paintView(QPainter& p, View& view) {
    if (view.hidden()) return;
    const AnimationPlayer::State shown = player_.present(view, now_);
    if (shown.alpha <= 0.001) return;
    p.save();
    const Rect& frame = shown.frame;
    p.translate(frame.x, frame.y);
    const View::Transform& t = shown.transform;
    if (!(t == View::Transform{})) {
        p.translate(frame.width / 2, frame.height / 2);
        p.rotate(t.rotation * 180 / std::numbers::pi);  // clockwise on screen, as the core turns
        p.scale(t.scaleX, t.scaleY);
        p.translate(-frame.width / 2, -frame.height / 2);
    }
    p.setOpacity(p.opacity() * shown.alpha);
    if (const auto& background = view.backgroundColor())
        p.fillRect(QRectF(0, 0, frame.width, frame.height), toQColor(*background));
    paintContent(p, view);
    if (!dynamic_cast<TableView*>(&view))
        for (const auto& child : view.subviews())
            paintView(p, *child);
    p.restore();
}

void ScreenRenderer::paintImage(QPainter& p, const View& view, const QRectF& box,
                                const Image& image, const std::string& name, int contentMode) {
    if (!image) {
        if (!name.empty()) IconPainter::paint(p, QString::fromStdString(name), box);
        return;
    }
    const QImage picture = toQImage(image);
    QRectF target = box;
    const double sx = box.width() / picture.width();
    const double sy = box.height() / picture.height();
    const auto mode = static_cast<ImageView::ContentMode>(contentMode);
    if (mode == ImageView::ContentMode::kAspectFit || mode == ImageView::ContentMode::kAspectFill) {
        const double s =
            mode == ImageView::ContentMode::kAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        const QSizeF size(picture.width() * s, picture.height() * s);
        target = QRectF(box.center().x() - size.width() / 2, box.center().y() - size.height() / 2,
                        size.width(), size.height());
    } else if (mode == ImageView::ContentMode::kCenter) {
        target =
            QRectF(box.center().x() - picture.width() / 2.0,
                   box.center().y() - picture.height() / 2.0, picture.width(), picture.height());
    }
    p.save();
    p.setClipRect(box, Qt::IntersectClip);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    player_.drawPicture(p, view, picture, target, box, now_);
    p.restore();
}

void ScreenRenderer::paintContent(QPainter& p, View& view) {
    // The size the view has on screen now: a view growing or shrinking in an
    // animation draws its content at that size, not at where it is going.
    const Rect size = player_.shown(view).frame;
    const QRectF box(0, 0, size.width, size.height);
    if (auto* table = dynamic_cast<TableView*>(&view)) {
        paintTable(p, *table);
        return;
    }
    if (auto* image = dynamic_cast<ImageView*>(&view)) {
        paintImage(p, view, box, image->image(), image->imageName(),
                   static_cast<int>(image->contentMode()));
    } else if (auto* label = dynamic_cast<Label*>(&view)) {
        const QFont font = toQFont(label->font());
        p.setFont(font);
        p.setPen(toQColor(label->textColor()));
        const int align = label->alignment() == Label::Alignment::kCenter  ? Qt::AlignHCenter
                          : label->alignment() == Label::Alignment::kRight ? Qt::AlignRight
                                                                           : Qt::AlignLeft;
        const QString text = QString::fromStdString(label->text());
        const QFontMetricsF metrics(font);
        if (box.height() < 2 * metrics.lineSpacing()) {
            // Room for one line: a text too long ends in "…" rather than
            // wrapping onto a second line cut in half.
            p.drawText(box, align | Qt::AlignVCenter,
                       metrics.elidedText(text, Qt::ElideRight, box.width()));
        } else {
            p.drawText(box, align | Qt::AlignVCenter | Qt::TextWordWrap, text);
        }
    } else if (auto* button = dynamic_cast<Button*>(&view)) {
        if (!button->enabled()) p.setOpacity(p.opacity() * 0.4);
        const std::string& face = button->currentImage();
        if (!face.empty()) {
            IconPainter::paint(p, QString::fromStdString(face), box.adjusted(2, 2, -2, -2));
        } else if (!button->name().empty()) {
            p.setPen(kBlue);
            p.setFont(toQFont(Font{15, true}));
            p.drawText(box, Qt::AlignCenter, QString::fromStdString(button->name()));
        }
    } else if (auto* toggle = dynamic_cast<Switch*>(&view)) {
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF track = box.adjusted(20, 0, 0, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(toggle->isOn() ? QColor(76, 217, 100) : QColor(220, 220, 220));
        p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
        p.setBrush(Qt::white);
        const double knob = track.height() - 4;
        p.drawEllipse(
            QRectF(toggle->isOn() ? track.right() - knob - 2 : track.left() + 2, 2, knob, knob));
    } else if (auto* segments = dynamic_cast<SegmentedControl*>(&view)) {
        const int n = std::max(1, segments->numberOfSegments());
        const double w = box.width() / n;
        p.setRenderHint(QPainter::Antialiasing);
        const QFont font = segmentTitleFont(*segments);
        const QFontMetricsF metrics(font);
        p.setFont(font);
        for (int i = 0; i < segments->numberOfSegments(); ++i) {
            const QRectF cell(i * w, 0, w, box.height());
            const bool chosen = i == segments->selectedSegmentIndex();
            p.setPen(QPen(kBlue, 1));
            p.setBrush(chosen ? kBlue : QColor(Qt::white));
            p.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
            p.setPen(chosen ? QColor(Qt::white) : kBlue);
            const QRectF inside = cell.adjusted(kSegmentPadding, 0, -kSegmentPadding, 0);
            p.drawText(inside, Qt::AlignCenter,
                       metrics.elidedText(QString::fromStdString(segments->titleForSegment(i)),
                                          Qt::ElideRight, inside.width()));
        }
    } else if (auto* field = dynamic_cast<TextField*>(&view)) {
        p.setPen(kSeparator);
        p.setBrush(Qt::white);
        p.drawRect(box);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::TextWordWrap,
                   QString::fromStdString(field->text()));
    }
    // What the view draws itself (overlay mask and grid, level bars, panels).
    for (const DrawingPrimitive& d : view.draw()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        const QColor c = toQColor(d.color);
        switch (d.kind) {
            case DrawingPrimitive::Kind::kFillRect:
                p.fillRect(toQRect(d.rect), c);
                break;
            case DrawingPrimitive::Kind::kStrokeRect:
                p.setPen(QPen(c, d.lineWidth));
                p.setBrush(Qt::NoBrush);
                p.drawRect(toQRect(d.rect));
                break;
            case DrawingPrimitive::Kind::kFillRoundedRect:
                p.setPen(Qt::NoPen);
                p.setBrush(c);
                p.drawRoundedRect(toQRect(d.rect), d.radius, d.radius);
                break;
            case DrawingPrimitive::Kind::kLine:
                p.setPen(QPen(c, d.lineWidth));
                p.drawLine(QPointF(d.rect.x, d.rect.y),
                           QPointF(d.rect.x + d.rect.width, d.rect.y + d.rect.height));
                break;
        }
        p.restore();
    }
}

void ScreenRenderer::paintTable(QPainter& p, TableView& table) {
    if (!table.dataSource()) return;
    table.layOut();
    const TableLayout& layout = table.layout();
    const bool grouped = table.style() == TableView::Style::kGrouped;
    const float height = table.frame().height;
    p.fillRect(QRectF(0, 0, table.frame().width, height),
               grouped ? QColor(239, 239, 244) : QColor(Qt::white));

    p.save();
    p.setClipRect(QRectF(0, 0, table.frame().width, height), Qt::IntersectClip);
    p.translate(0, -layout.offset());
    p.setFont(toQFont(Font{15, true}));
    for (const auto& header : layout.headers()) {
        p.setPen(QColor(76, 86, 108));
        p.drawText(toQRect(header.rect), Qt::AlignLeft | Qt::AlignBottom,
                   QString::fromStdString(header.text));
    }
    for (const auto& row : layout.rows()) {
        p.save();
        p.translate(row.rect.x, row.rect.y);
        const QRectF box(0, 0, row.rect.width, row.rect.height);
        p.fillRect(box, row.cell->backgroundColor() ? toQColor(*row.cell->backgroundColor())
                                                    : QColor(Qt::white));
        for (const auto& child : row.cell->subviews())
            paintView(p, *child);
        // The accessory mark, in the middle of the strip kept for it on the right.
        p.setPen(QPen(QColor(150, 150, 155), 2));
        const double mid = box.height() / 2;
        const double mark = box.width() - kAccessoryWidth / 2;
        if (row.cell->accessory() == TableViewCell::Accessory::kDisclosureIndicator) {
            p.drawPolyline(QPolygonF({QPointF(mark - 2.5, mid - 5), QPointF(mark + 2.5, mid),
                                      QPointF(mark - 2.5, mid + 5)}));
        } else if (row.cell->accessory() == TableViewCell::Accessory::kCheckmark) {
            p.setPen(QPen(kBlue, 2.5));
            p.drawPolyline(QPolygonF(
                {QPointF(mark - 8, mid), QPointF(mark - 2, mid + 6), QPointF(mark + 8, mid - 7)}));
        }
        p.setPen(kSeparator);
        p.drawLine(QPointF(grouped ? 0 : 10, box.height() - 0.5),
                   QPointF(box.width(), box.height() - 0.5));
        p.restore();
    }
    p.restore();
}

ScreenRenderer::Hit ScreenRenderer::hitTest(Point point) {
    if (!content_ || point.y < contentTop_) return Hit{};
    return HitTest::at(*content_, Point{point.x, point.y - contentTop_ + content_->frame().y},
                       contentOwner_);
}

void ScreenRenderer::collect(View& view, const QTransform& parentToScreen,
                             std::vector<Element>& out, const std::string& keyPrefix) {
    if (!HitTest::seen(view)) return;
    const Rect& f = view.frame();
    QTransform toParent;
    if (const View::Transform& t = view.transform(); !(t == View::Transform{})) {
        toParent.translate(f.width / 2, f.height / 2);
        toParent.rotate(t.rotation * 180 / std::numbers::pi);
        toParent.scale(t.scaleX, t.scaleY);
        toParent.translate(-f.width / 2, -f.height / 2);
    }
    const QTransform toScreen = toParent * QTransform::fromTranslate(f.x, f.y) * parentToScreen;
    const QRectF rect = toScreen.mapRect(QRectF(0, 0, f.width, f.height));
    const std::string key = keyPrefix + "/" + std::to_string(reinterpret_cast<std::uintptr_t>(&view));
    // Off the screen (the toolbar's other page): not there for the user either.
    if (!rect.intersects(screenRect())) return;

    using Role = Accessibility::Role;
    switch (Accessibility::roleOf(view)) {
        case Role::kButton: {
            const auto& button = static_cast<const Button&>(view);
            out.push_back({Role::kButton, key, Accessibility::buttonName(button), {}, rect,
                           button.enabled(), button.selected()});
            return;
        }
        case Role::kSwitch: {
            const bool on = static_cast<const Switch&>(view).isOn();
            out.push_back({Role::kSwitch, key, Accessibility::switchName(view), on ? "on" : "off", rect,
                           true, on});
            return;
        }
        case Role::kSegment: {
            const auto& segments = static_cast<const SegmentedControl&>(view);
            const int n = segments.numberOfSegments();
            for (int i = 0; i < n; ++i) {
                const QRectF part = toScreen.mapRect(
                    QRectF(double{f.width} * i / n, 0, double{f.width} / n, f.height));
                out.push_back({Role::kSegment, key + "#" + std::to_string(i),
                               segments.titleForSegment(i), {}, part, true,
                               segments.selectedSegmentIndex() == i});
            }
            return;
        }
        case Role::kLevel:
            out.push_back({Role::kLevel, key, "Level",
                           Accessibility::levelValue(static_cast<const IndicatorView&>(view).level()),
                           rect, true, false});
            return;
        case Role::kLabel:
            if (const auto& text = static_cast<const Label&>(view).text(); !text.empty())
                out.push_back({Role::kLabel, key, text, {}, rect, true, false});
            return;
        case Role::kTable:
            collectRows(static_cast<TableView&>(view), toScreen, rect, out, key);
            return;
        default:
            break;
    }
    for (const auto& child : view.subviews()) collect(*child, toScreen, out, key);
}

void ScreenRenderer::collectRows(TableView& table, const QTransform& toScreen, const QRectF& rect,
                                 std::vector<Element>& out, const std::string& key) {
    table.layOut();  // asked between paints too: the rows as they are now
    const TableLayout& layout = table.layout();
    const QTransform tableToScreen = QTransform::fromTranslate(0, -layout.offset()) * toScreen;
    for (const auto& row : layout.rows()) {
        const QRectF rowRect = tableToScreen.mapRect(toQRect(row.rect));
        if (!rowRect.intersects(rect)) continue;
        const std::string rowKey =
            key + "@" + std::to_string(row.path.section) + "." + std::to_string(row.path.row);
        const Accessibility::RowName name = Accessibility::rowName(*row.cell);
        out.push_back({Accessibility::Role::kRow, rowKey, name.name, name.detail, rowRect, true, false});
        // The controls inside the row, each on its own.
        const QTransform rowToScreen = QTransform::fromTranslate(row.rect.x, row.rect.y) * tableToScreen;
        for (const auto& child : row.cell->subviews())
            collect(*child, rowToScreen, out, rowKey);
    }
}

std::vector<ScreenRenderer::Element> ScreenRenderer::accessibleElements() {
    std::vector<Element> out;
    if (!content_) return out;
    const ScreenLayout layout(screen_);
    if (navigation_) {
        using Role = Accessibility::Role;
        ViewController& top = navigation_->topViewController();
        if (navigation_->depth() > 1) {
            const auto& stack = navigation_->viewControllers();
            const std::string back = stack[stack.size() - 2]->title();
            out.push_back({Role::kBack, "nav/back", Accessibility::backName(back), {},
                           toQRect(layout.navigationBackButton()), true, false});
        }
        if (!top.title().empty())
            out.push_back({Role::kLabel, "nav/title", top.title(), {},
                           toQRect(layout.navigationTitle()), true, false});
        if (const auto& right = top.rightBarButton(); right && !right->hidden())
            out.push_back({Role::kBarButton, "nav/right", Accessibility::buttonName(*right), {},
                           toQRect(layout.navigationRightButton()), right->enabled(),
                           false});
    }
    collect(*content_, QTransform::fromTranslate(0, contentTop_ - content_->frame().y), out,
            "screen");
    return out;
}

}  // namespace kestrel::gui
