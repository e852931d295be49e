#include "platform/draw/geometry.h"

#include <algorithm>

namespace qv {

DeviceRect intersect(const DeviceRect& a, const DeviceRect& b) {
  int x1 = std::max(a.x, b.x), y1 = std::max(a.y, b.y);
  int x2 = std::min(a.x + a.w, b.x + b.w), y2 = std::min(a.y + a.h, b.y + b.h);
  if (x2 <= x1 || y2 <= y1) return {};
  return {x1, y1, x2 - x1, y2 - y1};
}

DeviceRect unite(const DeviceRect& a, const DeviceRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  int x1 = std::min(a.x, b.x), y1 = std::min(a.y, b.y);
  int x2 = std::max(a.x + a.w, b.x + b.w), y2 = std::max(a.y + a.h, b.y + b.h);
  return {x1, y1, x2 - x1, y2 - y1};
}

std::optional<Point> toPoint(const Value& v) {
  if (!v.isArray() || v.length() < 2) return std::nullopt;
  Value x = v.element(1), y = v.element(2);
  if (!x.isNumber() || !y.isNumber()) return std::nullopt;
  return Point{x.number(), y.number()};
}

std::optional<Size> toSize(const Value& v) {
  auto p = toPoint(v);
  if (!p) return std::nullopt;
  return Size{p->x, p->y};
}

Value fromPoint(Point p) { return Value::array({p.x, p.y}); }
Value fromSize(Size s) { return Value::array({s.w, s.h}); }

}  // namespace qv
