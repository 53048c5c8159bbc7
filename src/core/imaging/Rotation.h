#pragma once

namespace kestrel {

// Kestrel's one convention for turning pictures: a rotation is the clockwise
// quarter turns, in degrees (0, 90, 180, 270), that make a stored frame
// upright. A camera is mounted at a rotation (what makes its frames upright
// with the device in its natural orientation); the device is turned from its
// natural orientation; the screen may be turned by the system's shell.
//
//   photo     = mount + device's turn
//   live view = mount + screen's turn   (the window's own coordinates)
//   controls  = device's turn − screen's turn
class Rotation {
public:
    // Any number of degrees as one of 0, 90, 180, 270 (the nearest quarter turn).
    static int normalized(int degrees);
    static bool isQuarterTurn(int degrees) { return degrees % 90 == 0; }

    // The device's clockwise turn for the device position's orientation
    // numbers 1, 2, 3, 4: 0, 180, 270, 90; any other number is no turn.
    static int deviceTurn(int orientation);
    // The orientation number (1–4) of a clockwise turn.
    static int orientationNumber(int turn);

    static int photo(int mount, int deviceTurn) { return normalized(mount + deviceTurn); }
    static int preview(int mount, int screenTurn) { return normalized(mount + screenTurn); }
    static int controls(int deviceTurn, int screenTurn) {
        return normalized(deviceTurn - screenTurn);
    }

    // The image orientation value (0–7) under which a stored picture shows
    // upright once turned by `rotation`; `mirrored`: and then mirrored left
    // to right, as a mirror shows it.
    static int imageOrientation(int rotation, bool mirrored = false);
    // A counter-clockwise correction as V4L2 and libcamera report it
    // (V4L2_CID_CAMERA_SENSOR_ROTATION, libcamera's Rotation), as a rotation.
    static int fromCounterClockwise(int degrees) { return normalized(360 - degrees); }
};

}  // namespace kestrel
