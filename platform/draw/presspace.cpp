#include "platform/draw/presspace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>

#include "platform/draw/draw_util.h"
#include "platform/draw/font.h"
#include "platform/runtime/error.h"

namespace qv {

namespace {

// Attribute array lengths and the element that holds the colour (all first).
constexpr std::size_t kLineAttrs = 4;    // colour, width, type, join
constexpr std::size_t kMarkerAttrs = 5;  // colour, background, mix, background mix, symbol
constexpr std::size_t kAreaAttrs = 5;    // colour, background, mix, background mix, pattern
constexpr std::size_t kStringAttrs = 12; // colour, background, mix, background mix, box,
                                         // baseline {x, y}, shear, alignment, ...
constexpr std::size_t kBaselineElement = 6;

constexpr double kDefaultForeground = colour_code::kForeground;
const double kDefaultBackground = packRgb(255, 255, 255);
constexpr double kDefaultDrawMode = 1;

Array copyOf(const Array& a) {
  Array out;
  out.reserve(a.size());
  for (const Value& v : a) {
    // The baseline vector is an array itself: hand out a copy, never our own.
    if (v.isArray()) {
      out.push_back(Value::array(*v.array()));
    } else {
      out.push_back(v);
    }
  }
  return out;
}

}  // namespace

std::string traceNumber(double n) {
  char buf[64];
  if (std::isfinite(n) && n == std::trunc(n) && std::fabs(n) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.0f", n);
    if (std::string(buf) == "-0") return "0";
  } else {
    std::snprintf(buf, sizeof buf, "%g", n);
  }
  return buf;
}

std::string tracePoint(Point p) { return "{" + traceNumber(p.x) + "," + traceNumber(p.y) + "}"; }

struct QvpPresSpace::State {
  DevicePtr device;
  bool created = false;

  double foreground = kDefaultForeground;
  double background = kDefaultBackground;
  Array line{kDefaultForeground, 1.0, 1.0, 1.0};
  Array marker{kDefaultForeground, kDefaultBackground, 1.0, 1.0, 1.0};
  Array area{kDefaultForeground, kDefaultBackground, 1.0, 1.0, 1.0};
  Array string;
  // Which of setColor and the attribute calls came last decides each primitive's
  // colour: a sequence number per source, the higher one wins.
  std::uint64_t clock = 0, foregroundAt = 0, lineAt = 0, areaAt = 0, stringAt = 0;

  Value font;  // a QvpFont object or NIL
  double drawMode = kDefaultDrawMode;
  double lastError = 0;
  Point current;

  bool tracing = false;
  std::vector<std::string> trace;

  State() {
    string = Array(kStringAttrs);
    string[0] = kDefaultForeground;
    string[1] = kDefaultBackground;
    string[kBaselineElement - 1] = Value::array({1.0, 0.0});
  }
};

QvpPresSpace::QvpPresSpace() : state_(std::make_shared<State>()) {}

std::shared_ptr<QvpPresSpace> QvpPresSpace::New() { return std::make_shared<QvpPresSpace>(); }

QvpPresSpace& QvpPresSpace::Create(const Value& device, const Value& pageSize) {
  (void)pageSize;
  auto dev = device.as<Device>();
  if (!dev) {
    state_->lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, "QvpPresSpace:Create", "The value given is not a device",
                   Value::array({device}));
    return *this;
  }
  state_->device = std::move(dev);
  state_->created = true;
  state_->lastError = 0;
  return *this;
}

void QvpPresSpace::Destroy() {
  state_->device.reset();
  state_->created = false;
  state_->font = Value();
}

bool QvpPresSpace::isCreated() const { return state_ && state_->created; }
DevicePtr QvpPresSpace::device() const { return state_ ? state_->device : nullptr; }

// ---- colours ---------------------------------------------------------------------------

namespace {

bool isColourValue(const Value& v) { return v.isNumber() && std::isfinite(v.number()); }

}  // namespace

Value QvpPresSpace::setColor() {
  return Value::array({state_->foreground, state_->background});
}

Value QvpPresSpace::setColor(const Value& fg) {
  double previous = state_->foreground;
  if (fg.isNil()) return previous;
  if (!isColourValue(fg)) {
    state_->lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, "QvpPresSpace:setColor", "A colour must be a number",
                   Value::array({fg}));
    return previous;
  }
  state_->foreground = fg.number();
  state_->foregroundAt = ++state_->clock;
  state_->lastError = 0;
  if (state_->tracing) traceLine("color " + traceNumber(state_->foreground));
  return previous;
}

Value QvpPresSpace::setColor(const Value& fg, const Value& bg) {
  double previous = state_->foreground;
  if ((!fg.isNil() && !isColourValue(fg)) || (!bg.isNil() && !isColourValue(bg))) {
    state_->lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, "QvpPresSpace:setColor", "A colour must be a number",
                   Value::array({fg, bg}));
    return previous;
  }
  if (!fg.isNil()) {
    state_->foreground = fg.number();
    state_->foregroundAt = ++state_->clock;
  }
  if (!bg.isNil()) state_->background = bg.number();
  state_->lastError = 0;
  if (state_->tracing && !fg.isNil()) {
    std::string line = "color " + traceNumber(state_->foreground);
    if (!bg.isNil()) line += " " + traceNumber(state_->background);
    traceLine(line);
  }
  return previous;
}

// ---- attribute arrays ------------------------------------------------------------------

namespace {

// Validates `attrs` against the current array: NIL keeps an element; the colour
// elements must be numbers and the baseline a {x, y} pair. Elements past the array's
// length are ignored. Returns an empty text when the whole array is acceptable.
std::string checkAttrs(const Value& attrs, std::size_t length, std::size_t colourElements,
                       bool hasBaseline) {
  if (!attrs.isArray()) return "The attributes must be an array";
  std::size_t n = std::min(attrs.length(), length);
  for (std::size_t i = 1; i <= n; ++i) {
    Value e = attrs.element(i);
    if (e.isNil()) continue;
    if (i <= colourElements && !isColourValue(e))
      return "Attribute element " + std::to_string(i) + " must be a colour number";
    if (hasBaseline && i == kBaselineElement) {
      auto p = toPoint(e);
      if (!p || !std::isfinite(p->x) || !std::isfinite(p->y))
        return "The baseline (element 6) must be an array {x, y} of two numbers";
    }
  }
  return {};
}

}  // namespace

static Value setAttrs(double& lastError, Array& current, const Value& attrs,
                      std::size_t length, std::size_t colourElements, bool hasBaseline,
                      const char* operation, std::uint64_t& clock, std::uint64_t& colourAt) {
  Value previous = Value::array(copyOf(current));
  if (attrs.isNil()) return previous;
  std::string why = checkAttrs(attrs, length, colourElements, hasBaseline);
  if (!why.empty()) {
    lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, operation, why, Value::array({attrs}));
    return previous;
  }
  std::size_t n = std::min(attrs.length(), length);
  for (std::size_t i = 1; i <= n; ++i) {
    Value e = attrs.element(i);
    if (e.isNil()) continue;
    if (hasBaseline && i == kBaselineElement) {
      current[i - 1] = Value::array({e.element(1).number(), e.element(2).number()});
    } else {
      current[i - 1] = e;
    }
    if (i == 1) colourAt = ++clock;
  }
  lastError = 0;
  return previous;
}

Value QvpPresSpace::setAttrLine() { return Value::array(copyOf(state_->line)); }
Value QvpPresSpace::setAttrLine(const Value& attrs) {
  return setAttrs(state_->lastError, state_->line, attrs, kLineAttrs, 1, false,
                  "QvpPresSpace:setAttrLine", state_->clock, state_->lineAt);
}
Value QvpPresSpace::setAttrMarker() { return Value::array(copyOf(state_->marker)); }
Value QvpPresSpace::setAttrMarker(const Value& attrs) {
  std::uint64_t unused = 0;
  return setAttrs(state_->lastError, state_->marker, attrs, kMarkerAttrs, 2, false,
                  "QvpPresSpace:setAttrMarker", state_->clock, unused);
}
Value QvpPresSpace::setAttrArea() { return Value::array(copyOf(state_->area)); }
Value QvpPresSpace::setAttrArea(const Value& attrs) {
  return setAttrs(state_->lastError, state_->area, attrs, kAreaAttrs, 2, false,
                  "QvpPresSpace:setAttrArea", state_->clock, state_->areaAt);
}
Value QvpPresSpace::setAttrString() { return Value::array(copyOf(state_->string)); }
Value QvpPresSpace::setAttrString(const Value& attrs) {
  return setAttrs(state_->lastError, state_->string, attrs, kStringAttrs, 2, true,
                  "QvpPresSpace:setAttrString", state_->clock, state_->stringAt);
}

Value QvpPresSpace::setFont() { return state_->font; }
Value QvpPresSpace::setFont(const Value& font) {
  Value previous = state_->font;
  if (font.isNil()) return previous;
  if (!font.as<QvpFont>()) {
    state_->lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, "QvpPresSpace:setFont", "The value given is not a font",
                   Value::array({font}));
    return previous;
  }
  state_->font = font;
  state_->lastError = 0;
  return previous;
}

Value QvpPresSpace::drawMode() { return state_->drawMode; }
Value QvpPresSpace::drawMode(const Value& mode) {
  double previous = state_->drawMode;
  if (mode.isNil()) return previous;
  if (!isColourValue(mode)) {
    state_->lastError = gen::kArgument;
    raiseDrawError(gen::kArgument, "QvpPresSpace:drawMode", "A draw mode must be a number",
                   Value::array({mode}));
    return previous;
  }
  state_->drawMode = mode.number();
  state_->lastError = 0;
  return previous;
}

Value QvpPresSpace::lastError() const { return state_->lastError; }

double QvpPresSpace::lineColour() const {
  return state_->lineAt > state_->foregroundAt ? state_->line[0].number() : state_->foreground;
}
double QvpPresSpace::areaColour() const {
  return state_->areaAt > state_->foregroundAt ? state_->area[0].number() : state_->foreground;
}
double QvpPresSpace::stringColour() const {
  return state_->stringAt > state_->foregroundAt ? state_->string[0].number()
                                                 : state_->foreground;
}
Point QvpPresSpace::baseline() const {
  auto p = toPoint(state_->string[kBaselineElement - 1]);
  return p ? *p : Point{1, 0};
}
double QvpPresSpace::lineWidth() const {
  const Value& w = state_->line[1];
  double width = w.isNumber() ? w.number() : 1;
  return std::isfinite(width) && width >= 1 ? std::min(width, 100.0) : 1;
}
QvpFontPtr QvpPresSpace::currentFont() const { return state_->font.as<QvpFont>(); }
Point QvpPresSpace::currentPosition() const { return state_->current; }
void QvpPresSpace::setCurrentPosition(Point p) { state_->current = p; }

// ---- trace -----------------------------------------------------------------------------

void QvpPresSpace::startTrace() {
  state_->trace.clear();
  state_->tracing = true;
}
std::vector<std::string> QvpPresSpace::stopTrace() {
  state_->tracing = false;
  return std::move(state_->trace);
}
bool QvpPresSpace::tracing() const { return state_->tracing; }
void QvpPresSpace::traceLine(std::string line) {
  if (state_->tracing) state_->trace.push_back(std::move(line));
}

// ---- drawing ---------------------------------------------------------------------------

std::shared_ptr<cairo_t> QvpPresSpace::beginDrawing() {
  if (!isCreated() || !state_->device) return nullptr;
  cairo_surface_t* surface = state_->device->surface();
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
  DeviceRect window = state_->device->deviceRect();
  DeviceRect clip = state_->device->clipRect();
  if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
    DeviceRect whole{0, 0, cairo_image_surface_get_width(surface),
                     cairo_image_surface_get_height(surface)};
    clip = intersect(clip, whole);
  }
  clip = intersect(clip, window);
  if (clip.empty()) return nullptr;
  std::shared_ptr<cairo_t> cr(cairo_create(surface), cairo_destroy);
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_rectangle(cr.get(), clip.x, clip.y, clip.w, clip.h);
  cairo_clip(cr.get());
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  cairo_translate(cr.get(), window.x + 0.5, window.y + window.h - 1 + 0.5);
  cairo_scale(cr.get(), 1, -1);
  return cr;
}

void QvpPresSpace::endDrawing(const DeviceRect& dirty) {
  if (!state_->device) return;
  if (cairo_surface_t* surface = state_->device->surface()) cairo_surface_flush(surface);
  DeviceRect r = intersect(dirty, state_->device->clipRect());
  if (!r.empty()) state_->device->markDirty(r);
}

double QvpPresSpace::backdrop() const {
  return state_->device ? state_->device->backdrop() : kDefaultBackground;
}

// ---- helpers for the primitives ----------------------------------------------------------

void raiseDrawError(int genCode, const std::string& operation, const std::string& description,
                    const Value& args) {
  ErrorSpec fault;
  fault.genCode = genCode;
  fault.subSystem = "QVP";
  fault.description = description;
  fault.operation = operation;
  fault.args = args;
  raiseError(makeError(fault));
}

QvpPresSpacePtr requirePresSpace(const Value& ps, const char* operation) {
  auto space = ps.as<QvpPresSpace>();
  if (!space) {
    raiseDrawError(gen::kArgument, operation, "The value given is not a presentation space",
                   Value::array({ps}));
    return nullptr;
  }
  if (!space->isCreated()) {
    raiseDrawError(gen::kGui, operation, "The presentation space is not created",
                   Value::array({ps}));
    return nullptr;
  }
  return space;
}

DeviceRect deviceExtents(cairo_t* cr, double x1, double y1, double x2, double y2) {
  double xs[4] = {x1, x2, x1, x2}, ys[4] = {y1, y1, y2, y2};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int i = 0; i < 4; ++i) {
    double x = xs[i], y = ys[i];
    cairo_user_to_device(cr, &x, &y);
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  if (!(maxX >= minX) || !(maxY >= minY)) return {};
  // Clamp before converting so that far-off coordinates cannot overflow an int.
  auto clampInt = [](double v) { return std::clamp(v, -1e8, 1e8); };
  int left = static_cast<int>(std::floor(clampInt(minX))) - 1;
  int top = static_cast<int>(std::floor(clampInt(minY))) - 1;
  int right = static_cast<int>(std::ceil(clampInt(maxX))) + 1;
  int bottom = static_cast<int>(std::ceil(clampInt(maxY))) + 1;
  return {left, top, right - left, bottom - top};
}

void setSourceColour(cairo_t* cr, double colour, double backdrop) {
  Rgba c = resolveColour(colour, backdrop);
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

}  // namespace qv
