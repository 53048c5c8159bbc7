#pragma once

#include "core/library/SelectImageView.h"
#include "core/library/ThumbnailLoader.h"
#include "core/platform/Timer.h"
#include "core/ui/TableViewCell.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// A row of four thumbnail tiles, 80 points each, showing the photos from
// `startIndex` on. A tap opens the photo (momentary) or toggles its
// selection.
class ImageTileCell : public TableViewCell {
public:
    using Files = std::array<std::optional<std::string>, 4>;
    static constexpr float kTileWidth = 80;
    static constexpr double kShowDelay = 0.2;

    ImageTileCell(Rect frame, std::string reuseIdentifier, RunLoop& loop,
                  ThumbnailLoader* thumbnails = nullptr);

    void showStartIndex(int index, const Files& files);
    void select(bool s1, bool s2, bool s3, bool s4);
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
    std::array<std::shared_ptr<SelectImageView>, 4> tiles_;
    Files files_;
    Timer showTimer_;
    int startIndex_ = 0;
    bool momentary_ = true;
    int hitIndex_ = -1;
};

}  // namespace kestrel
