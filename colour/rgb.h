// Packed RGB colours: red + 256 green + 65536 blue + 16777216.
#pragma once

#include "platform/runtime/value.h"

namespace qv {

// Packs an RGB triple (an array whose first three elements are numbers; later ones are
// ignored). Clamps elements 1-3 to 0..255 in the caller's array. NIL for a value that is
// not such a triple (the array is then left untouched).
Value GraMakeRGBColor(const Value& aRGB);
// Shorthand for whole-number triples known to be valid.
double rgbColour(int r, int g, int b);
bool GRAISRGBCOLOR(const Value& v);
// A new triple {r, g, b}, or NIL for a value that is not a packed RGB colour.
Value GRAGETRGBINTENSITY(const Value& colour);

}  // namespace qv
