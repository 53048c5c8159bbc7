#include "core/settingsui/RatioController.h"

#include "core/settings/Camera1Data.h"

#include <array>

namespace kestrel {
namespace {

// Rows in order of increasing width-to-height ratio.
constexpr std::array<int, RatioController::kRows> kRatioForRow{
    2,  3,  4,  0,  5,  6,  7,  8,  9,  28, 10, 11, 12, 1, 13,
    14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};

std::shared_ptr<TableViewCell> reusableCell(TableView& table, TableViewCell::Style style) {
    if (auto cell = table.dequeueReusableCell("Cell")) return cell;
    return std::make_shared<TableViewCell>(Rect{0, 0, 320, 44}, "Cell", style);
}

void markIf(TableViewCell& cell, bool marked) {
    cell.setAccessory(marked ? TableViewCell::Accessory::kCheckmark
                             : TableViewCell::Accessory::kNone);
}

}  // namespace

int RatioController::getRatioForRow(int row) {
    return row >= 0 && row < kRows ? kRatioForRow[static_cast<std::size_t>(row)] : -1;
}

std::shared_ptr<TableViewCell> RatioController::cellForRow(TableView& table, IndexPath path) {
    auto cell = reusableCell(table, TableViewCell::Style::kSubtitle);
    const int index = getRatioForRow(path.row);
    cell->textLabel().setText(Camera1Data::getRatioText(index));
    cell->detailTextLabel().setText(Camera1Data::getRatioSubText(index));
    const Camera1Data* record = Camera1Data::data();
    markIf(*cell, record && record->ratio() == index);
    return cell;
}

void RatioController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    if (Camera1Data* record = Camera1Data::data()) record->setRatio(getRatioForRow(path.row));
    table.reloadData();
}

std::shared_ptr<TableViewCell> EffectController::cellForRow(TableView& table, IndexPath path) {
    auto cell = reusableCell(table, TableViewCell::Style::kDefault);
    const int index = getEffectForRow(path.row);
    cell->textLabel().setText(Camera1Data::getEffectText(index));
    const Camera1Data* record = Camera1Data::data();
    markIf(*cell, record && record->modification() == index);
    return cell;
}

void EffectController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    if (Camera1Data* record = Camera1Data::data())
        record->setModification(getEffectForRow(path.row));
    table.reloadData();
}

}  // namespace kestrel
