#pragma once

#include "core/library/CameraRollCell.h"
#include "core/library/ThumbnailLoader.h"
#include "core/settingsui/CustomTableViewCell.h"
#include "core/store/CameraRoll.h"
#include "core/ui/TableViewController.h"

#include <functional>
#include <memory>
#include <vector>

namespace kestrel {

class CameraRollViewer;

// "Camera Roll": every photo of the store as thumbnails, as many to a row as
// the screen's width holds (four on the phone screen), oldest first, and a
// last row with the count. A tap opens the viewer, while the album is the
// screen shown: a tap's photo opens a moment after the tap, and by then
// another photo may have opened, or the album may have closed.
class CameraRollPicker : public TableViewController {
public:
    static constexpr const char* kCellIdentifier = "camera_roll_cell";
    using ViewerFactory = std::function<std::shared_ptr<CameraRollViewer>()>;
    // The store shown when none is set: the device's camera roll.
    using SharedRollFactory = std::function<std::shared_ptr<CameraRoll>()>;

    CameraRollPicker(RunLoop& loop, ViewerFactory viewer, SharedRollFactory sharedRoll);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    // The whole width under the navigation bar, the grid's rows rebuilt when
    // the number of tiles across changes.
    void layOut(const ScreenLayout& layout) override;
    int columns() const { return templateCell_->columns(); }

    void setCameraRoll(std::shared_ptr<CameraRoll> roll) { cameraRoll_ = std::move(roll); }
    const std::shared_ptr<CameraRoll>& cameraRoll() const { return cameraRoll_; }
    void findFiles();
    void reloadFiles(bool reread);
    bool multiselect() const { return false; }
    void selectImage(int index);
    void showImage(int index);
    void done();

    int numberOfSections(TableView&) override { return 1; }
    int numberOfRows(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    float heightForRow(TableView&, IndexPath) override { return templateCell_->frame().height; }

    const std::vector<std::shared_ptr<CameraRollFileInfo>>& selection() const { return selection_; }
    CustomTableViewCell& footerCell() { return *footerCell_; }
    CameraRollViewer* cameraRollViewer() const { return viewer_.get(); }
    ThumbnailLoader& thumbnails() { return thumbnails_; }

private:
    int photoCount() const;

    RunLoop* loop_;
    ViewerFactory viewerFactory_;
    SharedRollFactory sharedRoll_;
    ThumbnailLoader thumbnails_;
    std::shared_ptr<CameraRoll> cameraRoll_;
    std::vector<std::shared_ptr<CameraRollFileInfo>> selection_;
    std::shared_ptr<CameraRollCell> templateCell_;
    std::shared_ptr<CustomTableViewCell> footerCell_;
    std::shared_ptr<CameraRollViewer> viewer_;
    bool shown_ = false;  // from viewWillAppear to viewWillDisappear
};

}  // namespace kestrel
