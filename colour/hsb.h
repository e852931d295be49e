// HSB (hue in degrees, saturation %, brightness %) and RGB conversion. Pure: the argument
// is never changed, a new three-element array is returned, nothing is rounded.
#pragma once

#include "platform/runtime/value.h"

namespace qv {

// Hue NIL for greys, saturation NIL for black. Elements 1-3 must be numbers.
Value RGBToHSB(const Value& aRGB);
// A NIL saturation counts as 0 (grey). Out-of-range hues give {NIL, NIL, NIL}.
Value HSBToRGB(const Value& aHSB);

}  // namespace qv
