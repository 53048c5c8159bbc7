#include "core/library/CameraRollPicker.h"

#include "core/library/CameraRollViewer.h"
#include "core/platform/NotificationCenter.h"

#include <algorithm>

namespace kestrel {

CameraRollPicker::CameraRollPicker(RunLoop& loop, ViewerFactory viewer,
                                   SharedRollFactory sharedRoll)
    : loop_(&loop),
      viewerFactory_(std::move(viewer)),
      sharedRoll_(std::move(sharedRoll)),
      thumbnails_(loop),
      templateCell_(std::make_shared<CameraRollCell>(Rect{0, 0, 320, 80}, kCellIdentifier, loop,
                                                     &thumbnails_)),
      footerCell_(std::make_shared<CustomTableViewCell>(Rect{0, 0, 320, 80})) {
    for (int k = 1; k <= 4; ++k)
        templateCell_->tile(k).setBackgroundColor(Color{0.9, 0.9, 0.9, 1});
    footerCell_->setLabel(std::make_shared<Label>(Rect{0, 20, 320, 40}));
    footerCell_->label()->setAlignment(Label::Alignment::kCenter);
    footerCell_->setSelectionStyle(TableViewCell::SelectionStyle::kNone);
    footerCell_->setAutoresizesSubviews(false);  // laid out for the width in layOut()
    setDoneButton([this] { done(); });
}

void CameraRollPicker::viewDidLoad() {
    setTitle("Camera Roll");
    footerCell_->label()->setFont(Font{17, true});
    footerCell_->label()->setTextColor(Color{0.5, 0.5, 0.5, 1});
}

void CameraRollPicker::viewWillAppear(bool) {
    shown_ = true;
    tableView().reloadData();
}

void CameraRollPicker::viewWillDisappear(bool) { shown_ = false; }

void CameraRollPicker::layOut(const ScreenLayout& layout) {
    const Rect content = layout.navigationContent();
    view().setFrame(content);
    const int columns = layout.albumColumns();
    if (columns == templateCell_->columns() && templateCell_->frame().width == content.width) return;
    auto grid = std::make_shared<CameraRollCell>(Rect{0, 0, content.width, ImageTileCell::kTileWidth},
                                                 kCellIdentifier, *loop_, &thumbnails_, columns);
    for (int k = 1; k <= columns; ++k)
        grid->tile(k).setBackgroundColor(templateCell_->tile(1).backgroundColor());
    templateCell_ = std::move(grid);
    footerCell_->setFrame(Rect{0, 0, content.width, footerCell_->frame().height});
    Label& count = *footerCell_->label();
    count.setFrame(Rect{0, count.frame().y, content.width, count.frame().height});
    tableView().reloadData();
}

void CameraRollPicker::viewDidAppear(bool) {
    const int rows = numberOfRows(tableView(), 0);
    if (rows >= 2) tableView().scrollToRow(IndexPath{0, rows - 2}, true);
}

void CameraRollPicker::findFiles() {
    if (!cameraRoll_) cameraRoll_ = sharedRoll_ ? sharedRoll_() : nullptr;
    if (cameraRoll_) cameraRoll_->refresh();
}

void CameraRollPicker::reloadFiles(bool reread) {
    if (reread && cameraRoll_) cameraRoll_->refresh();
    selection_.clear();
    tableView().reloadData();
}

int CameraRollPicker::photoCount() const {
    return cameraRoll_ ? static_cast<int>(cameraRoll_->files().size()) : 0;
}

int CameraRollPicker::numberOfRows(TableView&, int section) {
    if (section != 0) return 0;
    const int across = columns();
    return (photoCount() + across - 1) / across + 1;
}

std::shared_ptr<TableViewCell> CameraRollPicker::cellForRow(TableView& table, IndexPath path) {
    const int n = photoCount();
    const int across = columns();
    const int a = across * path.row;
    if (a >= n) {
        footerCell_->setText(std::to_string(n) + (n > 1 ? " Photos" : " Photo"));
        return footerCell_;
    }
    auto row =
        std::dynamic_pointer_cast<CameraRollCell>(table.dequeueReusableCell(kCellIdentifier));
    // A row kept from before a resize has the old width: a new one is made.
    if (!row || row->columns() != across || row->frame().width != templateCell_->frame().width)
        row = templateCell_->copyWithIdentifier(kCellIdentifier);
    row->setPicker(this);
    row->setMomentary(!multiselect());
    const auto& files = cameraRoll_->files();
    ImageTileCell::Files paths(static_cast<std::size_t>(across));
    std::vector<bool> selected(static_cast<std::size_t>(across));
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const int index = a + static_cast<int>(k);
        if (index >= n) continue;
        const auto& info = files[static_cast<std::size_t>(index)];
        paths[k] = info->file();
        selected[k] = std::find(selection_.begin(), selection_.end(), info) != selection_.end();
    }
    row->showStartIndex(a, paths);
    row->select(selected);
    row->setPicker(this);
    return row;
}

void CameraRollPicker::selectImage(int index) {
    if (!cameraRoll_ || index < 0 || index >= photoCount()) return;
    const auto& info = cameraRoll_->files()[static_cast<std::size_t>(index)];
    const auto found = std::find(selection_.begin(), selection_.end(), info);
    if (found != selection_.end())
        selection_.erase(found);
    else
        selection_.push_back(info);
}

void CameraRollPicker::showImage(int index) {
    if (!shown_) return;  // a photo opened since, or the album closed
    if (!viewer_) viewer_ = viewerFactory_();
    if (!viewer_) return;
    if (NavigationController* navigation = navigationController())
        navigation->pushViewController(viewer_, true);
    viewer_->setCameraRoll(cameraRoll_);
    viewer_->showImage(index);
}

void CameraRollPicker::done() {
    NotificationCenter::defaultCenter().postNotificationName("Flip", this);
}

}  // namespace kestrel
