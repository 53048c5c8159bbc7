#pragma once

#include "core/ui/View.h"

#include <string>

namespace kestrel {

// Editable text: one line, or several for a text view; optionally a clear
// button while it is being edited.
class TextField : public View {
public:
    explicit TextField(Rect frame = {}, bool multiline = false)
        : View(frame), multiline_(multiline) {}
    std::string typeName() const override { return multiline_ ? "TextView" : "TextField"; }

    const std::string& text() const { return text_; }
    void setText(std::string text) {
        text_ = std::move(text);
        setNeedsDisplay();
    }
    bool multiline() const { return multiline_; }
    bool clearButtonWhileEditing() const { return clearButton_; }
    void setClearButtonWhileEditing(bool shown) { clearButton_ = shown; }

private:
    std::string text_;
    bool multiline_;
    bool clearButton_ = false;
};

}  // namespace kestrel
