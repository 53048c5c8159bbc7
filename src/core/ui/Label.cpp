#include "core/ui/Label.h"

namespace kestrel {

void Label::setText(std::string text) {
    text_ = std::move(text);
    noteChange("text");
}

void Label::setFont(Font font) {
    font_ = font;
    noteChange("font");
}

void Label::setTextColor(Color color) {
    textColor_ = color;
    noteChange("textColor");
}

void Label::setAlignment(Alignment alignment) {
    alignment_ = alignment;
    noteChange("alignment");
}

}  // namespace kestrel
