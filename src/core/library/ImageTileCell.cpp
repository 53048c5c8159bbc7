#include "core/library/ImageTileCell.h"

#include "core/store/DirectoryUtils.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

ImageTileCell::ImageTileCell(Rect frame, std::string reuseIdentifier, RunLoop& loop,
                             ThumbnailLoader* thumbnails, int columns)
    : TableViewCell(frame, std::move(reuseIdentifier)),
      loop_(&loop),
      thumbnails_(thumbnails),
      tiles_(static_cast<std::size_t>(std::max(1, columns))),
      showTimer_(loop) {
    // The tiles side by side in the middle of the row.
    const float margin =
        std::max(0.0f, std::floor((frame.width - kTileWidth * static_cast<float>(tiles_.size())) / 2));
    for (std::size_t k = 0; k < tiles_.size(); ++k) {
        auto tile = std::make_shared<SelectImageView>(
            Rect{margin + kTileWidth * static_cast<float>(k) + 2, 2, kTileWidth - 4, kTileWidth - 4},
            loop);
        tile->setContentMode(ImageView::ContentMode::kAspectFill);
        setTile(static_cast<int>(k) + 1, std::move(tile));
    }
    setSelectionStyle(SelectionStyle::kNone);
    setAutoresizesSubviews(false);  // built for its table's width by the album
}

void ImageTileCell::setTile(int k, std::shared_ptr<SelectImageView> tile) {
    replaceContent(tiles_.at(static_cast<std::size_t>(k - 1)), std::move(tile));
}

std::string ImageTileCell::getThumbnail(const std::string& photoPath) {
    for (const char* suffix : {".JPG", ".PNG"}) {
        if (!photoPath.ends_with(suffix)) continue;
        const std::string beside = photoPath.substr(0, photoPath.size() - 4) + ".THM";
        if (FileUtils::fileExists(beside)) return beside;
        std::string inMisc = beside;
        const std::size_t at = inMisc.find("APPLE/IMG");
        if (at != std::string::npos) inMisc.replace(at, 9, "APPLE/.MISC/IMG");
        return inMisc;
    }
    return photoPath;
}

void ImageTileCell::showThumbnail(std::size_t k, const std::string& photo) {
    SelectImageView& view = *tiles_[k];
    view.setShownFile(photo);
    const std::string thumbnail = getThumbnail(photo);
    if (!thumbnails_) {
        view.setImage(ThumbnailLoader::readThumbnail(thumbnail));
        return;
    }
    // From the cache at once, or when read, if the tile still exists and
    // still shows this photo (rows are reused and dropped as they scroll).
    view.setImage(thumbnails_->load(
        thumbnail, [tile = std::weak_ptr<SelectImageView>(tiles_[k]), photo](const Image& image) {
            if (auto shown = tile.lock(); shown && shown->shownFile() == photo)
                shown->setImage(image);
        }));
}

void ImageTileCell::showStartIndex(int index, const Files& files) {
    startIndex_ = index;
    files_ = files;
    for (std::size_t k = 0; k < tiles_.size(); ++k) {
        SelectImageView& view = *tiles_[k];
        if (k < files.size() && files[k]) {
            view.setMomentary(momentary_);
            showThumbnail(k, *files[k]);
            view.setHidden(false);
        } else {
            view.setShownFile({});
            view.setImage(Image());
            view.setHidden(true);
        }
    }
}

void ImageTileCell::select(const std::vector<bool>& selected) {
    for (std::size_t k = 0; k < tiles_.size(); ++k)
        tiles_[k]->setSelected(k < selected.size() && selected[k]);
}

void ImageTileCell::prepareForReuse() {
    for (auto& tile : tiles_) {
        tile->setShownFile({});
        tile->setImage(Image());
        tile->setAlpha(1.0);
    }
    files_ = {};
}

bool ImageTileCell::touchesEnded(Point point, int) {
    hitIndex_ = -1;
    for (std::size_t k = 0; k < tiles_.size(); ++k) {
        // Each tile takes the touches up to where the next one's gap begins.
        if (point.x >= tiles_[k]->frame().x + kTileWidth - 2) continue;
        if (!tiles_[k]->image()) continue;  // a tile without a picture is passed over
        hitIndex_ = startIndex_ + static_cast<int>(k);
        SelectImageView& tileHit = *tiles_[k];
        tileHit.setMomentary(momentary_);
        if (momentary_) {
            tileHit.momentarySelect();
            showTimer_.start(RunLoop::seconds(kShowDelay), [this] { showImage(); });
        } else {
            tileHit.setSelected(!tileHit.selected());
            selectImage();
        }
        return true;
    }
    return true;  // the table's own row selection is never triggered
}

}  // namespace kestrel
