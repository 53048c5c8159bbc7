#include "core/modes/CameraRapidHandler.h"

#include "core/imaging/ImageDraw.h"
#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

CameraRapidHandler::~CameraRapidHandler() {
    if (!images_.empty() && controller()) controller()->saveLabel().setHidden(true);
}

int CameraRapidHandler::seriesLength() const {
    const Camera1Data* settings = Camera1Data::data();
    const int stored = settings ? settings->rapid().rapidMode() : 0;
    // Unbounded, a stored 0 would never end the series and hold every picture.
    if (stored <= 0) return kDefaultSeries;
    return std::min(stored, kMaxSeries);
}

int CameraRapidHandler::columns() const { return seriesLength() == 16 ? 4 : 5; }

Size CameraRapidHandler::landscapeCell() const {
    return seriesLength() == 16 ? Size{400, 300} : Size{320, 240};
}

Size CameraRapidHandler::cellSize() const {
    const Size landscape = landscapeCell();
    return vertical_ ? Size{landscape.height, landscape.width} : landscape;
}

Size CameraRapidHandler::canvasSize() const {
    return vertical_ ? Size{1200, 1600} : Size{1600, 1200};
}

void CameraRapidHandler::photo() {
    const int series = seriesLength();
    const bool finalPhoto = series == static_cast<int>(images_.size()) + 1;
    setAutoStart(!finalPhoto);
    if (controller()) controller()->photo(finalPhoto);
}

CameraHandler::Recipe CameraRapidHandler::firstRecipe(float) {
    const Size landscape = landscapeCell();
    // The first picture's shape is not known until it comes (-1).
    const int vertical = images_.empty() ? -1 : vertical_ ? 1 : 0;
    return [landscape, vertical](const Image& picture) {
        const Size size = picture.size();
        const bool upright = vertical < 0 ? size.height > size.width : vertical == 1;
        return ImageDraw::simpleResize(
            picture, upright ? Size{landscape.height, landscape.width} : landscape);
    };
}

void CameraRapidHandler::keepFirstPhoto(const Image& cell) {
    if (images_.empty()) {
        const Size size = cell.size();
        vertical_ = size.height > size.width;
    }
    images_.push_back(cell);
    if (!controller()) return;
    Label& label = controller()->saveLabel();
    label.setText(std::to_string(images_.size()) + " of " + std::to_string(seriesLength()));
    label.setHidden(false);
    trace("series " + label.text());
}

CameraHandler::Recipe CameraRapidHandler::finalRecipe(float zoom) {
    Recipe lastCell = firstRecipe(zoom);
    std::vector<Image> cells = std::move(images_);
    images_.clear();
    if (controller()) {
        // The counter reaches the last picture as the sheet goes to review.
        Label& label = controller()->saveLabel();
        label.setText(std::to_string(cells.size() + 1) + " of " + std::to_string(seriesLength()));
        label.setHidden(true);
    }
    const int perRow = columns();
    return [lastCell = std::move(lastCell), cells = std::move(cells),
            perRow](const Image& picture) {
        std::vector<Image> sheet = cells;
        sheet.push_back(lastCell(picture));
        const Size cell = sheet.front().size();
        const Size canvas = cell.height > cell.width ? Size{1200, 1600} : Size{1600, 1200};
        ImageDraw draw;
        if (!draw.start(canvas)) {
            Log::error("rapid fire: cannot open the contact sheet");
            return picture;
        }
        for (std::size_t i = 0; i < sheet.size(); ++i) {
            const float x = cell.width * static_cast<float>(static_cast<int>(i) % perRow);
            const float top = cell.height * static_cast<float>(static_cast<int>(i) / perRow);
            // The canvas counts y upwards from the bottom; the sheet's rows go down.
            draw.drawImage(sheet[i], Rect{},
                           Rect{x, canvas.height - top - cell.height, cell.width, cell.height});
        }
        return draw.end();
    };
}

}  // namespace kestrel
