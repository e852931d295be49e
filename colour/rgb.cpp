#include "colour/rgb.h"

#include <algorithm>
#include <cmath>

#include "platform/draw/colours.h"

namespace qv {

namespace {
constexpr double kRgbMarker = 16777216;
}

Value GraMakeRGBColor(const Value& aRGB) {
  if (!aRGB.isArray() || aRGB.length() < 3) return {};
  for (std::size_t i = 1; i <= 3; ++i) {
    if (!aRGB.element(i).isNumber()) return {};
  }
  // The caller's triple is clamped in place: arrays are shared, and callers rely on it.
  Value triple = aRGB;
  for (std::size_t i = 1; i <= 3; ++i) {
    Value& e = triple.at(i);
    e = std::max(0.0, std::min(e.number(), 255.0));
  }
  return triple.element(1).number() + triple.element(2).number() * 256 +
         triple.element(3).number() * 65536 + kRgbMarker;
}

double rgbColour(int r, int g, int b) { return packRgb(r, g, b); }

bool GRAISRGBCOLOR(const Value& v) { return v.isNumber() && v.number() >= kRgbMarker; }

Value GRAGETRGBINTENSITY(const Value& colour) {
  if (!GRAISRGBCOLOR(colour)) return {};
  double v = colour.number() - kRgbMarker;
  double blue = std::trunc(v / 65536);
  v -= blue * 65536;
  double green = std::trunc(v / 256);
  v -= green * 256;
  return Value::array({v, green, blue});
}

}  // namespace qv
