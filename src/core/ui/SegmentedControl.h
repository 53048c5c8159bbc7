#pragma once

#include "core/ui/View.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrel {

// A row of segments with titles, at most one selected (-1: none). The
// user's choice selects and sends the action; selecting from code does not.
class SegmentedControl : public View {
public:
    using Action = std::function<void(SegmentedControl& sender)>;
    static constexpr int kNoSegment = -1;

    explicit SegmentedControl(Rect frame = {}, std::vector<std::string> titles = {});
    std::string typeName() const override { return "SegmentedControl"; }

    int numberOfSegments() const { return static_cast<int>(titles_.size()); }
    const std::string& titleForSegment(int index) const;
    void setTitle(int index, std::string title);
    int selectedSegmentIndex() const { return selected_; }
    void setSelectedSegmentIndex(int index);
    void setAction(Action action) { action_ = std::move(action); }
    // The user picks segment `index`.
    void choose(int index);
    // A tap chooses the segment under it.
    void touchesEnded(const Touch& touch) override;

private:
    std::vector<std::string> titles_;
    int selected_ = kNoSegment;
    Action action_;
};

}  // namespace kestrel
