#include "platform/draw/colours.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

inline constexpr double kRgbMarker = 16777216;

// Channels of a packed colour, each clamped to 0..255, without masking: the same split
// the colour helpers make, so that a drawn colour is the one the caller computed.
Rgba unpack(double value) {
  double v = value - kRgbMarker;
  double b = std::trunc(v / 65536);
  v -= b * 65536;
  double g = std::trunc(v / 256);
  v -= g * 256;
  auto unit = [](double c) { return std::clamp(c, 0.0, 255.0) / 255.0; };
  return {unit(v), unit(g), unit(b), 1};
}

// Relative luminance and contrast ratio as the usual accessibility rules define them.
double linear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double luminance(const Rgba& c) {
  return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}
double contrast(const Rgba& a, const Rgba& b) {
  double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgba readable(const Rgba& dark, const Rgba& light, double backdrop) {
  // A backdrop that is itself a code (no colour of its own) reads as white paper.
  Rgba back = std::isfinite(backdrop) && backdrop >= kRgbMarker ? unpack(backdrop) : Rgba{1, 1, 1, 1};
  return contrast(dark, back) >= contrast(light, back) ? dark : light;
}

}  // namespace

Rgba resolveColour(double value, double backdrop) {
  if (!std::isfinite(value)) return {0, 0, 0, 1};
  if (value >= kRgbMarker) return unpack(value);
  if (value == colour_code::kNone) return {0, 0, 0, 0};
  if (value == colour_code::kHover)
    return readable({0, 0, 128 / 255.0, 1}, {1, 1, 1, 1}, backdrop);
  if (value == colour_code::kActivated)
    return readable({128 / 255.0, 0, 0, 1}, {1, 1, 0, 1}, backdrop);
  // kForeground and every code we do not know draw in black.
  return {0, 0, 0, 1};
}

double packRgb(int r, int g, int b) { return kRgbMarker + r + 256.0 * g + 65536.0 * b; }

}  // namespace qv
