#include "core/settingsui/SettingsController.h"
#include "gui/IconPainter.h"
#include "support/QtApplication.h"
#include "support/TestPaths.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace kestrel {
namespace {

constexpr int kSide = 64;

QImage icon(const QString& name) {
    test::qtApplication();
    QImage canvas(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    gui::IconPainter::paint(p, name, QRectF(0, 0, kSide, kSide));
    return canvas;
}

bool inked(QRgb pixel) { return qAlpha(pixel) > 96; }

// The share of the inked pixels of either icon that the other draws
// differently: where only one has ink, or both have it in clearly different colours.
double difference(const QImage& a, const QImage& b) {
    int inked_ = 0, differing = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
            if (!inked(pa) && !inked(pb)) continue;
            ++inked_;
            const int colour = std::abs(qRed(pa) - qRed(pb)) + std::abs(qGreen(pa) - qGreen(pb)) +
                               std::abs(qBlue(pa) - qBlue(pb));
            differing += inked(pa) != inked(pb) || colour > 150;
        }
    return inked_ ? static_cast<double>(differing) / inked_ : 0;
}

// The image names written in Kestrel's core ("Toolbar_Play.png", ...) and
// the mode buttons' two faces.
std::set<std::string> namesUsedByTheScreens() {
    const std::filesystem::path core = test::testPaths().sourceDir / "src" / "core";
    const std::regex literal("\"([A-Za-z][A-Za-z0-9_]*\\.png)\"");  // whole names, not suffixes
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(core)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
            names.insert((*it)[1]);
    }
    for (const auto& button : SettingsController::kModeButtons) {
        names.insert(std::string(button.image) + ".png");
        names.insert(std::string(button.image) + "_on.png");
    }
    return names;
}

TEST(IconPainterTest, EveryNameTheScreensUseIsDrawn) {
    test::qtApplication();
    const std::set<std::string> used = namesUsedByTheScreens();
    ASSERT_GT(used.size(), 30u);
    const QStringList known = gui::IconPainter::names();
    for (const std::string& name : used) {
        EXPECT_TRUE(known.contains(QString::fromStdString(name))) << name;
        QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&canvas);
        EXPECT_TRUE(gui::IconPainter::paint(p, QString::fromStdString(name), QRectF(0, 0, 8, 8)))
            << name;
    }
}

// Every icon on the toolbars' dark grey and on a settings row's white, to
// look at, where $KESTREL_SCREENSHOTS names a folder.
void saveSheet(const QStringList& names, const std::vector<QImage>& faces) {
    const char* folder = std::getenv("KESTREL_SCREENSHOTS");
    if (!folder || !*folder) return;
    const int columns = 8;
    const int rows = static_cast<int>((names.size() + columns - 1) / columns);
    QImage sheet(columns * kSide, rows * kSide * 2, QImage::Format_RGB32);
    sheet.fill(QColor(26, 26, 26));
    QPainter p(&sheet);
    p.fillRect(QRect(0, rows * kSide, sheet.width(), rows * kSide), Qt::white);
    for (int i = 0; i < names.size(); ++i) {
        const QPoint at((i % columns) * kSide, (i / columns) * kSide);
        p.drawImage(at, faces[static_cast<std::size_t>(i)]);
        p.drawImage(at + QPoint(0, rows * kSide), faces[static_cast<std::size_t>(i)]);
    }
    p.end();
    sheet.save(QString::fromUtf8(folder) + "/icons.png");
}

// No two names look alike, except the two pause faces, which mean the same.
TEST(IconPainterTest, EveryIconIsDrawnDistinctly) {
    const QStringList names = gui::IconPainter::names();
    std::vector<QImage> faces;
    for (const QString& name : names)
        faces.push_back(icon(name));
    saveSheet(names, faces);
    const std::set<std::pair<QString, QString>> alike{{"pause.png", "Toolbar_Pause.png"}};
    for (int i = 0; i < names.size(); ++i)
        for (int j = i + 1; j < names.size(); ++j) {
            if (alike.contains({names[i], names[j]}) || names[i] == "select_none.png" ||
                names[j] == "select_none.png")
                continue;
            EXPECT_GT(
                difference(faces[static_cast<std::size_t>(i)], faces[static_cast<std::size_t>(j)]),
                0.25)
                << names[i].toStdString() << " looks like " << names[j].toStdString();
        }
}

// Play is one triangle; next and previous are the skip marks, a triangle
// against a bar, mirror images of each other.
TEST(IconPainterTest, TheViewerToolbarFacesArePlayAndSkipMarks) {
    const QImage play = icon("Toolbar_Play.png");
    const QImage next = icon("Toolbar_Next.png");
    const QImage previous = icon("Toolbar_Previous.png");
    EXPECT_GT(difference(play, next), 0.25);
    EXPECT_LT(difference(next, previous.mirrored(true, false)), 0.05);
    // A vertical bar: one column, right of the triangle's tip, inked over a third of the height.
    auto longestColumn = [](const QImage& face, int from, int to) {
        int longest = 0;
        for (int x = from; x < to; ++x) {
            int run = 0;
            for (int y = 0; y < kSide; ++y)
                run += inked(face.pixel(x, y));
            longest = std::max(longest, run);
        }
        return longest;
    };
    EXPECT_GT(longestColumn(next, kSide * 2 / 3, kSide), kSide / 3);
    EXPECT_LT(longestColumn(play, kSide * 3 / 4, kSide), kSide / 6);  // a point, not a bar
}

// A selected mode button's face is lit; the plain one is not: 3D like the rest.
TEST(IconPainterTest, SelectedModeFacesAreLit) {
    auto litShare = [](const QImage& face) {
        int lit = 0, ink = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const QRgb p = face.pixel(x, y);
                if (!inked(p)) continue;
                ++ink;
                // The lit colour: a warm yellow.
                lit += qRed(p) > 200 && qGreen(p) > 150 && qBlue(p) < 90;
            }
        return ink ? static_cast<double>(lit) / ink : 0;
    };
    for (const auto& button : SettingsController::kModeButtons) {
        const QString face = QString::fromUtf8(button.image);
        EXPECT_GT(litShare(icon(face + "_on.png")), 0.5) << button.image;
        EXPECT_LT(litShare(icon(face + ".png")), 0.05) << button.image;
        EXPECT_GT(difference(icon(face + "_on.png"), icon(face + ".png")), 0.5) << button.image;
    }
}

}  // namespace
}  // namespace kestrel
