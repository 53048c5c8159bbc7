#include "core/imaging/Rotation.h"

#include "core/base/Image.h"

#include <cmath>

namespace kestrel {

int Rotation::normalized(int degrees) {
    const int quarters = static_cast<int>(std::lround(degrees / 90.0));
    return ((quarters % 4) + 4) % 4 * 90;
}

int Rotation::deviceTurn(int orientation) {
    switch (orientation) {
        case 2: return 180;
        case 3: return 270;
        case 4: return 90;
        default: return 0;
    }
}

int Rotation::orientationNumber(int turn) {
    switch (normalized(turn)) {
        case 90: return 4;
        case 180: return 2;
        case 270: return 3;
        default: return 1;
    }
}

int Rotation::imageOrientation(int rotation, bool mirrored) {
    const int turn = normalized(rotation);
    if (!mirrored) {
        return turn == 90 ? Image::kRight : turn == 180 ? Image::kDown
                                          : turn == 270 ? Image::kLeft
                                                        : Image::kUp;
    }
    // A mirrored orientation mirrors the stored picture before turning it,
    // so a quarter turn mirrors top to bottom once upright: turning the
    // other way round gives the left-to-right mirror instead.
    return turn == 90    ? Image::kLeftMirrored
           : turn == 180 ? Image::kDownMirrored
           : turn == 270 ? Image::kRightMirrored
                         : Image::kUpMirrored;
}

}  // namespace kestrel
