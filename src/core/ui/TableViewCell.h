#pragma once

#include "core/ui/ImageView.h"
#include "core/ui/Label.h"
#include "core/ui/View.h"

#include <memory>
#include <string>

namespace kestrel {

// One row of a table: a content view the row's own views go into, the
// standard labels of the default and subtitle styles, an accessory mark and
// a selection style. A cell may handle its own taps (touchesEnded answers
// YES) instead of letting the table select the row.
class TableViewCell : public View {
public:
    enum class Style { kDefault, kSubtitle };
    enum class Accessory { kNone, kDisclosureIndicator, kCheckmark };
    enum class SelectionStyle { kNone, kBlue, kGray };

    explicit TableViewCell(Rect frame = Rect{0, 0, 320, 44}, std::string reuseIdentifier = {},
                           Style style = Style::kDefault);
    std::string typeName() const override { return "TableViewCell"; }

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    Style style() const { return style_; }
    View& contentView() { return *contentView_; }
    const std::shared_ptr<View>& sharedContentView() const { return contentView_; }
    // The standard labels, made on first use and laid out by the renderer.
    Label& textLabel();
    Label& detailTextLabel();
    bool hasTextLabel() const { return textLabel_ != nullptr; }
    bool hasDetailTextLabel() const { return detailTextLabel_ != nullptr; }
    Accessory accessory() const { return accessory_; }
    void setAccessory(Accessory accessory);
    SelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(SelectionStyle style) { selectionStyle_ = style; }
    const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<View> view) { backgroundView_ = std::move(view); }
    // Whether a table wider (or narrower) than the one the row was built for
    // stretches (or narrows) it, its views following their autoresizing; a
    // row its screen lays out for its table's width is left as it is.
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool value) { autoresizesSubviews_ = value; }
    // The width the row was built at.
    float builtWidth() const { return builtWidth_; }

    virtual void prepareForReuse() {}
    // A touch that ended in the row at `point` (row coordinates); YES when
    // the cell handled it itself.
    virtual bool touchesEnded(Point point, int tapCount) {
        (void)point;
        (void)tapCount;
        return false;
    }
    // A tap on the row: the cell's own handling, else the table selects the row.
    void touchesEnded(const Touch& touch) override;
    // Where the table shows this cell now (the renderer lays rows out).
    void placeInTable(class TableView* table, int section, int row) {
        table_ = table;
        section_ = section;
        row_ = row;
    }

protected:
    // Puts `view` into the content view in place of the one `slot` held.
    template <class V>
    void replaceContent(std::shared_ptr<V>& slot, std::shared_ptr<V> view) {
        if (slot) slot->removeFromSuperview();
        slot = std::move(view);
        if (slot) contentView().addSubview(slot);
    }

private:
    std::string reuseIdentifier_;
    Style style_;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<View> backgroundView_;
    Accessory accessory_ = Accessory::kNone;
    SelectionStyle selectionStyle_ = SelectionStyle::kBlue;
    bool autoresizesSubviews_ = true;
    float builtWidth_;
    class TableView* table_ = nullptr;
    int section_ = 0;
    int row_ = 0;
};

}  // namespace kestrel
