// Points, sizes and rectangles in pixels. Window coordinates have y growing upwards from
// the window's lower-left corner; device (back-buffer) coordinates have y growing
// downwards from the top-left corner of the top-level window.
#pragma once

#include <optional>

#include "platform/runtime/value.h"

namespace qv {

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
struct Size {
  double w = 0, h = 0;
  bool operator==(const Size&) const = default;
};
// Device rectangle: top-left corner and size, whole pixels.
struct DeviceRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
  bool operator==(const DeviceRect&) const = default;
};
DeviceRect intersect(const DeviceRect& a, const DeviceRect& b);
DeviceRect unite(const DeviceRect& a, const DeviceRect& b);

// {x, y} / {w, h} arrays of the platform's API to typed values and back. A value that is
// not an array of two numbers gives nullopt.
std::optional<Point> toPoint(const Value& v);
std::optional<Size> toSize(const Value& v);
Value fromPoint(Point p);
Value fromSize(Size s);

}  // namespace qv
