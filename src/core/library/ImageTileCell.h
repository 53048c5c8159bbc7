#pragma once

#include "core/library/SelectImageView.h"
#include "core/library/ThumbnailLoader.h"
#include "core/platform/Timer.h"
#include "core/ui/TableViewCell.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// A row of thumbnail tiles, 80 points each (four on the phone screen, as
// many as the width holds on a wider one, the row centred), showing the
// photos from `startIndex` on. A tap opens the photo (momentary) or toggles
// its selection.
class ImageTileCell : public TableViewCell {
public:
    // A photo for each tile, from the left; a tile without one stays empty.
    using Files = std::vector<std::optional<std::string>>;
    static constexpr float kTileWidth = 80;
    static constexpr double kShowDelay = 0.2;
    static constexpr int kPhoneColumns = 4;

    ImageTileCell(Rect frame, std::string reuseIdentifier, RunLoop& loop,
                  ThumbnailLoader* thumbnails = nullptr, int columns = kPhoneColumns);

    int columns() const { return static_cast<int>(tiles_.size()); }
    void showStartIndex(int index, const Files& files);
    // Which tiles are selected, from the left; tiles past the end are not.
    void select(const std::vector<bool>& selected);
    // The thumbnail of a photo path: ".THM" beside it if present, else in the folder's ".MISC".
    static std::string getThumbnail(const std::string& photoPath);
    void prepareForReuse() override;
    using TableViewCell::touchesEnded;
    bool touchesEnded(Point point, int tapCount) override;

    virtual void showImage() {}
    virtual void selectImage() {}

    SelectImageView& tile(int k) { return *tiles_.at(static_cast<std::size_t>(k - 1)); }
    void setTile(int k, std::shared_ptr<SelectImageView> tile);
    int startIndex() const { return startIndex_; }
    const Files& imageFiles() const { return files_; }
    bool momentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    int hitIndex() const { return hitIndex_; }

protected:
    RunLoop& loop() { return *loop_; }
    ThumbnailLoader* thumbnails() const { return thumbnails_; }

private:
    void showThumbnail(std::size_t k, const std::string& photo);

    RunLoop* loop_;
    ThumbnailLoader* thumbnails_;
    std::vector<std::shared_ptr<SelectImageView>> tiles_;
    Files files_;
    Timer showTimer_;
    int startIndex_ = 0;
    bool momentary_ = true;
    int hitIndex_ = -1;
};

}  // namespace kestrel
