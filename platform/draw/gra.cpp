// Boxes, lines, arcs and the degree trigonometry.
#include "platform/draw/gra.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/draw/draw_util.h"

namespace qv {

namespace {

// Arcs larger than this are not drawn: Cairo would split them into a vast number of
// segments, and none of the program's windows comes near it.
constexpr double kMaxArcRadius = 1e5;

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The window rectangle in the window's own coordinates, with a margin.
struct Bounds {
  double x1, y1, x2, y2;
};
Bounds windowBounds(const QvpPresSpace& ps, double margin) {
  DeviceRect r = ps.device() ? ps.device()->deviceRect() : DeviceRect{};
  return {-margin, -margin, r.w + margin, r.h + margin};
}

// Cuts the segment a-b to the rectangle (Liang-Barsky); false when nothing is left.
// Keeps the direction exact for end points far outside the window.
bool clipSegment(Point& a, Point& b, const Bounds& r) {
  double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge(-dx, a.x - r.x1) || !edge(dx, r.x2 - a.x) || !edge(-dy, a.y - r.y1) ||
      !edge(dy, r.y2 - a.y))
    return false;
  Point na{a.x + t0 * dx, a.y + t0 * dy}, nb{a.x + t1 * dx, a.y + t1 * dy};
  a = na, b = nb;
  return true;
}

// A rectangle with elliptical corners of radii rx, ry (0: square corners).
void roundedRect(cairo_t* cr, double x1, double y1, double x2, double y2, double rx, double ry) {
  cairo_new_path(cr);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
    return;
  }
  rx = std::min(rx, (x2 - x1) / 2);
  ry = std::min(ry, (y2 - y1) / 2);
  const double pi = std::numbers::pi;
  auto corner = [&](double cx, double cy, double from, double to) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, to);
    cairo_restore(cr);
  };
  corner(x2 - rx, y1 + ry, -pi / 2, 0);
  corner(x2 - rx, y2 - ry, 0, pi / 2);
  corner(x1 + rx, y2 - ry, pi / 2, pi);
  corner(x1 + rx, y1 + ry, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

}  // namespace

bool GRABOX(const Value& psValue, Point from, Point to, int style, double hRadius,
            double vRadius) {
  auto ps = requirePresSpace(psValue, "GRABOX");
  if (!ps) return false;
  if (style != kGraOutline && style != kGraFill && style != kGraOutlineFill) {
    raiseDrawError(gen::kArgument, "GRABOX",
                   "The box style must be 1 (outline), 2 (fill) or 3 (both)",
                   Value::array({psValue, style}));
    return false;
  }
  if (!finite(from) || !finite(to) || !std::isfinite(hRadius) || !std::isfinite(vRadius)) {
    raiseDrawError(gen::kArgument, "GRABOX", "The corners and radii must be finite numbers");
    return false;
  }
  double lineColour = ps->lineColour(), areaColour = ps->areaColour();
  if (ps->tracing()) {
    ps->traceLine("box " + tracePoint(from) + " " + tracePoint(to) + " " + traceNumber(style) +
                  " " + traceNumber(hRadius) + " " + traceNumber(vRadius) + " " +
                  traceNumber(lineColour) + " " + traceNumber(areaColour));
  }
  auto cr = ps->beginDrawing();
  if (!cr) return true;
  // Far-off corners are pulled in to just outside the window: the visible part is the
  // same, and Cairo's fixed-point coordinates cannot overflow.
  // Radii past kMaxArcRadius cannot show their curve in any window either.
  double rx = std::min(std::fabs(hRadius), kMaxArcRadius);
  double ry = std::min(std::fabs(vRadius), kMaxArcRadius);
  Bounds b = windowBounds(*ps, 4 + std::max(rx, ry));
  double x1 = std::clamp(std::min(from.x, to.x), b.x1, b.x2);
  double x2 = std::clamp(std::max(from.x, to.x), b.x1, b.x2);
  double y1 = std::clamp(std::min(from.y, to.y), b.y1, b.y2);
  double y2 = std::clamp(std::max(from.y, to.y), b.y1, b.y2);
  cairo_t* c = cr.get();
  if (style & kGraFill) {
    // The fill covers the pixels of both corners: their edges lie half a pixel out.
    roundedRect(c, x1 - 0.5, y1 - 0.5, x2 + 0.5, y2 + 0.5, rx > 0 ? rx + 0.5 : 0,
                ry > 0 ? ry + 0.5 : 0);
    setSourceColour(c, areaColour, ps->backdrop());
    cairo_fill(c);
  }
  if (style & kGraOutline) {
    roundedRect(c, x1, y1, x2, y2, rx, ry);
    cairo_set_line_width(c, ps->lineWidth());
    cairo_set_line_join(c, CAIRO_LINE_JOIN_MITER);
    setSourceColour(c, lineColour, ps->backdrop());
    cairo_stroke(c);
  }
  DeviceRect dirty = deviceExtents(c, x1 - 1, y1 - 1, x2 + 1, y2 + 1);
  cr.reset();
  ps->endDrawing(dirty);
  return true;
}

bool GRALINE(const Value& psValue, std::optional<Point> from, Point to) {
  auto ps = requirePresSpace(psValue, "GRALINE");
  if (!ps) return false;
  Point start = from ? *from : ps->currentPosition();
  if (!finite(start) || !finite(to)) {
    raiseDrawError(gen::kArgument, "GRALINE", "The end points must be finite numbers");
    return false;
  }
  double colour = ps->lineColour();
  if (ps->tracing())
    ps->traceLine("line " + tracePoint(start) + " " + tracePoint(to) + " " + traceNumber(colour));
  ps->setCurrentPosition(to);
  auto cr = ps->beginDrawing();
  if (!cr) return true;
  double width = ps->lineWidth();
  Point a = start, b = to;
  if (!clipSegment(a, b, windowBounds(*ps, 2 + width))) return true;
  cairo_t* c = cr.get();
  cairo_new_path(c);
  if (a == b) {
    // Cairo strokes nothing for a zero-length segment; the point is still a pixel.
    cairo_rectangle(c, a.x - width / 2, a.y - width / 2, width, width);
    setSourceColour(c, colour, ps->backdrop());
    cairo_fill(c);
  } else {
    cairo_move_to(c, a.x, a.y);
    cairo_line_to(c, b.x, b.y);
  }
  cairo_set_line_width(c, width);
  // Square caps reach half a pixel past each end, so both end pixels are drawn.
  cairo_set_line_cap(c, CAIRO_LINE_CAP_SQUARE);
  setSourceColour(c, colour, ps->backdrop());
  cairo_stroke(c);
  DeviceRect dirty = deviceExtents(c, std::min(a.x, b.x) - width, std::min(a.y, b.y) - width,
                                   std::max(a.x, b.x) + width, std::max(a.y, b.y) + width);
  cr.reset();
  ps->endDrawing(dirty);
  return true;
}

bool GRAARC(const Value& psValue, Point centre, double radius, const Value& shape, double start,
            double sweep) {
  // `shape` would make the arc elliptical; the program only draws circular arcs, so any
  // value draws the circle.
  (void)shape;
  auto ps = requirePresSpace(psValue, "GRAARC");
  if (!ps) return false;
  if (!finite(centre) || !std::isfinite(radius) || !std::isfinite(start) ||
      !std::isfinite(sweep) || radius < 0) {
    raiseDrawError(gen::kArgument, "GRAARC",
                   "The centre, a radius of 0 or more and the angles must be finite numbers");
    return false;
  }
  double colour = ps->lineColour();
  if (ps->tracing())
    ps->traceLine("arc " + tracePoint(centre) + " " + traceNumber(radius) + " " +
                  traceNumber(start) + " " + traceNumber(sweep) + " " + traceNumber(colour));
  double a0 = DTOR(start), a1 = DTOR(start + std::clamp(sweep, -360.0, 360.0));
  ps->setCurrentPosition({centre.x + radius * std::cos(a1), centre.y + radius * std::sin(a1)});
  if (radius > kMaxArcRadius) return true;
  // An arc that cannot touch the window is not handed to Cairo at all: its coordinates
  // may be too large for Cairo's fixed-point numbers.
  Bounds b = windowBounds(*ps, 2);
  double nearX = std::clamp(centre.x, b.x1, b.x2), nearY = std::clamp(centre.y, b.y1, b.y2);
  double farX = std::max(std::fabs(centre.x - b.x1), std::fabs(centre.x - b.x2));
  double farY = std::max(std::fabs(centre.y - b.y1), std::fabs(centre.y - b.y2));
  if (std::hypot(centre.x - nearX, centre.y - nearY) > radius + 2 ||
      std::hypot(farX, farY) < radius - 2)
    return true;
  auto cr = ps->beginDrawing();
  if (!cr) return true;
  cairo_t* c = cr.get();
  cairo_new_path(c);
  // The window's user space has y up, so increasing angles run counter-clockwise.
  if (a1 >= a0) {
    cairo_arc(c, centre.x, centre.y, radius, a0, a1);
  } else {
    cairo_arc_negative(c, centre.x, centre.y, radius, a0, a1);
  }
  cairo_set_line_width(c, ps->lineWidth());
  cairo_set_line_cap(c, CAIRO_LINE_CAP_SQUARE);
  setSourceColour(c, colour, ps->backdrop());
  cairo_stroke(c);
  double r = radius + ps->lineWidth() + 1;
  DeviceRect dirty = deviceExtents(c, centre.x - r, centre.y - r, centre.x + r, centre.y + r);
  cr.reset();
  ps->endDrawing(dirty);
  return true;
}

double DTOR(double degrees) { return degrees * std::numbers::pi / 180.0; }
double SIN(double radians) { return std::sin(radians); }
double COS(double radians) { return std::cos(radians); }

}  // namespace qv
