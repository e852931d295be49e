// HSB (hue in degrees, saturation %, brightness %) and RGB conversion. Pure: the argument
// is never changed, a new three-element array is returned, nothing is rounded.
#pragma once

#include "platform/runtime/value.h"

#include <array>
#include <optional>

namespace qv {

// The conversions on plain numbers; the Value functions below are these plus the
// argument checks. Hue NIL for greys, saturation NIL for black.
struct Hsb {
  std::optional<double> hue, saturation;
  double brightness = 0;
};
Hsb rgbToHsb(double r, double g, double b);
// nullopt for a hue outside the six sectors (360 or more, -60 or less).
std::optional<std::array<double, 3>> hsbToRgb(std::optional<double> hue,
                                              std::optional<double> saturation,
                                              double brightness);

// Hue NIL for greys, saturation NIL for black. Elements 1-3 must be numbers.
Value RGBToHSB(const Value& aRGB);
// A NIL saturation counts as 0 (grey). Out-of-range hues give {NIL, NIL, NIL}.
Value HSBToRGB(const Value& aHSB);

}  // namespace qv
