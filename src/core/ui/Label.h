#pragma once

#include "core/base/Geometry.h"
#include "core/ui/View.h"

#include <string>

namespace kestrel {

// A line of text in a view.
class Label : public View {
public:
    enum class Alignment { kLeft, kCenter, kRight };

    using View::View;

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const Font& font() const { return font_; }
    void setFont(Font font);
    const Color& textColor() const { return textColor_; }
    void setTextColor(Color color);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment);

protected:
    // Touches go through to what lies below.
    bool takesTouchesByDefault() const override { return false; }

private:
    std::string text_;
    Font font_{17, false};
    Color textColor_{0, 0, 0, 1};
    Alignment alignment_ = Alignment::kLeft;
};

}  // namespace kestrel
