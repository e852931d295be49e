// Drawing primitives on a presentation space. One-pixel lines have antialiasing off, go
// through pixel centres and include both end points; everything is clipped to the window.
// A value that is not a created presentation space raises a runtime error.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/value.h"

namespace qv {

inline constexpr int kGraOutline = 1;
inline constexpr int kGraFill = 2;
inline constexpr int kGraOutlineFill = 3;

// Text with its baseline starting at `pos`, along the string attributes' baseline vector.
bool GRASTRINGAT(const Value& ps, Point pos, const std::string& text);
// Points 1-4 of the text's box relative to the start: upper left, lower left, upper right,
// lower right, with the baseline rotation applied; point 5 is where the next text would
// start. At 0 degrees: {0, a}, {0, -e}, {w, a}, {w, -e} for ascent a, descent e, advance w.
std::array<Point, 5> GRAQUERYTEXTBOX(const Value& ps, const std::string& text);
// A box from corner to corner; style 1 outline (line attributes), 2 fill (area
// attributes), 3 both; the radii round the corners.
bool GRABOX(const Value& ps, Point from, Point to, int style = kGraOutline, double hRadius = 0,
            double vRadius = 0);
// A line in the current line colour; a missing start continues from the current position.
// The end becomes the current position.
bool GRALINE(const Value& ps, std::optional<Point> from, Point to);
// A circular arc: degrees, 0 towards larger x, 90 towards larger y, counter-clockwise.
// `shape` is NIL for a circle.
bool GRAARC(const Value& ps, Point centre, double radius, const Value& shape, double start,
            double sweep);

double DTOR(double degrees);
double SIN(double radians);
double COS(double radians);

}  // namespace qv
