#pragma once

#include "core/ui/Label.h"
#include "core/ui/View.h"

#include <memory>
#include <string>

namespace kestrel {

// A rounded busy panel with a spinner and a text, shown and hidden with a
// fade. With `lookThrough` the panel itself is not drawn.
class ActivityView : public View {
public:
    explicit ActivityView(Rect frame = {});

    void startAnimating(const std::string& text);
    void startAnimating(const std::string& text, const std::shared_ptr<View>& self, View& parent);
    void stopAnimating();

    bool spinning() const { return spinning_; }
    const std::shared_ptr<Label>& label() const { return label_; }
    bool lookThrough() const { return lookThrough_; }
    void setLookThrough(bool lookThrough) {
        lookThrough_ = lookThrough;
        setNeedsDisplay();
    }
    Drawing draw() const override;

protected:
    // Touches go through to what lies below.
    bool takesTouchesByDefault() const override { return false; }

private:
    std::shared_ptr<Label> label_;
    bool spinning_ = false;
    bool lookThrough_ = false;
};

}  // namespace kestrel
