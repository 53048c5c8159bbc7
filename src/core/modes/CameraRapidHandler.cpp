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

Size CameraRapidHandler::cellSize() const {
    const Size landscape = seriesLength() == 16 ? Size{400, 300} : Size{320, 240};
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

void CameraRapidHandler::firstPhoto(const Image& image, float) {
    if (images_.empty()) {
        const Size size = image.size();
        vertical_ = size.height > size.width;
    }
    images_.push_back(ImageDraw::simpleResize(image, cellSize()));
    if (!controller()) return;
    Label& label = controller()->saveLabel();
    label.setText(std::to_string(images_.size()) + " of " + std::to_string(seriesLength()));
    label.setHidden(false);
    trace("series " + label.text());
}

Image CameraRapidHandler::processPhoto(const Image& image, float zoom) {
    firstPhoto(image, zoom);
    if (controller()) controller()->saveLabel().setHidden(true);
    const Size canvas = canvasSize();
    const Size cell = cellSize();
    const int perRow = columns();
    ImageDraw draw;
    if (!draw.start(canvas)) {
        Log::error("rapid fire: cannot open the contact sheet");
        images_.clear();
        return image;
    }
    for (std::size_t i = 0; i < images_.size(); ++i) {
        const float x = cell.width * static_cast<float>(static_cast<int>(i) % perRow);
        const float top = cell.height * static_cast<float>(static_cast<int>(i) / perRow);
        // The canvas counts y upwards from the bottom; the sheet's rows go down.
        draw.drawImage(images_[i], Rect{},
                       Rect{x, canvas.height - top - cell.height, cell.width, cell.height});
    }
    images_.clear();
    return draw.end();
}

}  // namespace kestrel
