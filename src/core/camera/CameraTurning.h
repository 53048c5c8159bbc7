#pragma once

#include "core/camera/CameraViewManager.h"
#include "core/platform/CameraPicker.h"
#include "core/ui/ScreenLayout.h"

#include <functional>

namespace kestrel {

// How the camera screen turns with the device. Two turns meet here: the
// device's, as held (orientation numbers 1–4), and the window's, where a
// shell turns the screen with the device. The live view turns by the
// window's; the reviewed picture, the sensing panel, the zoom read-out and
// the save label by what the window does not turn; a still is tagged with
// the camera's mounting and the device's turn. Main thread.
class CameraTurning {
public:
    // `layout` is the caller's, read at every turn; `deviceOrientation` may
    // be empty: held upright.
    CameraTurning(CameraPicker& picker, CameraViewManager& views, const ScreenLayout& layout,
                  std::function<int()> deviceOrientation);

    // The clockwise turn of the window's coordinates: the live view turns
    // by it and the controls are placed anew.
    void setScreenTurn(int degrees);
    int screenTurn() const { return screenTurn_; }
    // The orientation number (1–4) the controls are turned for: the
    // device's turn less the screen's.
    int controlOrientation() const;
    // The image orientation value a still taken now gets: the camera's
    // mounting with the device's turn, mirrored for a camera facing the
    // user when the settings ask.
    int photoOrientation() const;
    // The live view turned for the window and mirrored for a camera facing
    // the user (again after the camera changed).
    void turnPreview();
    // The reviewed picture, the panel, the read-out and the label placed for
    // the controls' turn; for no usable orientation only the picture is.
    void rotate(bool animated);
    // The layout changed: what the device's turn placed follows it again.
    void layoutChanged();
    // What the screen shows a reviewed picture at, in pixels: the review's
    // area, turned for a quarter turn.
    Size reviewPixels() const;

private:
    int orientation() const { return deviceOrientation_ ? deviceOrientation_() : 1; }
    void placePicture(int held, bool animated);
    void placePanels(int held);

    CameraPicker* picker_;
    CameraViewManager* views_;
    const ScreenLayout* layout_;
    std::function<int()> deviceOrientation_;
    int screenTurn_ = 0;
    bool turned_ = false;  // rotate() has placed the views for the device's position
};

}  // namespace kestrel
