#pragma once

#include "core/base/Geometry.h"
#include "core/ui/DrawingPrimitive.h"
#include "core/ui/Responder.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// A retained view: the properties the screens set, a tree of subviews in
// drawing order (last on top), and what the view itself draws. Model values
// change at once; an open animation block (AnimationBlock) notes which
// properties of which view changed, for the renderer to animate. Main thread.
class View : public Responder {
public:
    // A rotation (radians, clockwise on screen as the platform's, whose y
    // axis points down) then a scale about the view's centre.
    struct Transform {
        double rotation = 0;
        double scaleX = 1;
        double scaleY = 1;
        bool operator==(const Transform&) const = default;
        static Transform rotated(double radians) { return {radians, 1, 1}; }
        static Transform scaled(double s) { return {0, s, s}; }
    };

    explicit View(Rect frame = {});
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    const Rect& frame() const { return frame_; }
    void setFrame(Rect frame);
    Rect bounds() const { return Rect{0, 0, frame_.width, frame_.height}; }
    Point center() const {
        return Point{frame_.x + frame_.width / 2, frame_.y + frame_.height / 2};
    }
    void setCenter(Point center);
    const Transform& transform() const { return transform_; }
    void setTransform(Transform transform);
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    bool hidden() const { return hidden_; }
    void setHidden(bool hidden);
    const std::optional<Color>& backgroundColor() const { return background_; }
    void setBackgroundColor(std::optional<Color> color);
    // How the view follows a change of its superview's width (a table row
    // drawn across a table wider or narrower than the phone's): it stays as
    // it is, takes the change in its own width, moves by it (keeping to the
    // right edge), moves by half of it (keeping to the middle), or keeps its
    // place and width as shares of the superview's (one of a row of buttons
    // spread across).
    enum class Autoresizing {
        kNone,
        kFlexibleWidth,
        kFlexibleLeftMargin,
        kFlexibleMargins,
        kProportional
    };
    Autoresizing autoresizing() const { return autoresizing_; }
    void setAutoresizing(Autoresizing autoresizing) { autoresizing_ = autoresizing; }
    // Makes the view `width` wide, its subviews following as each says.
    void resizeWidth(float width);
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // The tree. A view has at most one parent; adding it elsewhere moves it.
    void addSubview(const std::shared_ptr<View>& view);
    void removeFromSuperview();
    void bringSubviewToFront(View* view);
    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }

    // A point of this view's own coordinates in its superview's: the turn
    // and scale about the centre applied, then the frame's origin added.
    Point toSuperview(Point point) const;

    // Touches. A view that does not take touches is passed over by the hit
    // test, with everything inside it, so a touch reaches what lies below
    // (pictures, labels and panels are such views unless told otherwise).
    bool userInteractionEnabled() const {
        return userInteraction_.value_or(takesTouchesByDefault());
    }
    void setUserInteractionEnabled(bool enabled) { userInteraction_ = enabled; }
    // The next responder: the controller whose screen this view is, else the superview.
    Responder* nextResponder() const override;
    void setViewController(Responder* controller) { viewController_ = controller; }

    // The view's kind as its description names it ("View", "ImageView", ...).
    virtual std::string typeName() const { return "View"; }

    // What this view draws over its background, in its bounds.
    virtual Drawing draw() const { return {}; }
    // Asks the renderer to draw the view again (what a view draws from state
    // of its own, draw() or otherwise, asks this when that state changes;
    // the properties above ask for themselves).
    void setNeedsDisplay();
    unsigned displayGeneration() const { return displayGeneration_; }

protected:
    // For subclasses' own properties: tells an open animation block.
    void noteChange(const char* property);
    virtual bool takesTouchesByDefault() const { return true; }

private:
    Rect frame_;
    Transform transform_;
    double alpha_ = 1;
    bool hidden_ = false;
    std::optional<Color> background_;
    Autoresizing autoresizing_ = Autoresizing::kNone;
    std::string name_;
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    unsigned displayGeneration_ = 0;
    std::optional<bool> userInteraction_;
    Responder* viewController_ = nullptr;
};

}  // namespace kestrel
