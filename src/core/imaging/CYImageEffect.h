#pragma once

#include "core/imaging/CImageEffect.h"

namespace kestrel {

// Base of the engines that work on the luminance of each pixel.
class CYImageEffect : public CImageEffect {};

}  // namespace kestrel
