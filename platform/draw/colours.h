// The platform's colour values: a packed RGB colour (16777216 + r + 256 g + 65536 b) or
// one of the platform's colour codes (numbers below 16777216).
#pragma once

#include <cstdint>

namespace qv {

namespace colour_code {
inline constexpr double kNone = -255;       // a window background of its own: none
inline constexpr double kHover = 0;         // an active caption under the pointer
inline constexpr double kForeground = 1;    // the default foreground, black
inline constexpr double kActivated = 3;     // an active caption while pressed
}  // namespace colour_code

struct Rgba {
  double r = 0, g = 0, b = 0, a = 1;  // 0..1
  bool operator==(const Rgba&) const = default;
};

// The colour a value stands for, drawn over `backdrop` (the packed RGB colour that shows
// behind the drawing). Packed colours unpack (channels clamped to 0..255); kNone is
// transparent; kForeground is black. The two active-caption codes are told apart from
// black and stay readable on any backdrop: each has a dark and a light variant and takes
// the one with the higher contrast against the backdrop (kHover: navy {0, 0, 128} or
// white; kActivated: maroon {128, 0, 0} or yellow {255, 255, 0}). Any other code draws in
// the fallback colour, black.
Rgba resolveColour(double value, double backdrop);
// Packs 0..255 channels the platform's way.
double packRgb(int r, int g, int b);

}  // namespace qv
