#include "platform/gui/window.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "platform/draw/colours.h"
#include "platform/gui/app.h"
#include "platform/gui/detail.h"
#include "platform/runtime/error.h"

namespace qv {

// The device of one window: its region of the top-level back buffer. The window owns it;
// presentation spaces share it and may outlive the window, so the window detaches it when
// it goes and every answer then says "nothing to draw on".
class WindowDevice : public Device {
  QV_CLASS(WindowDevice, Device)
 public:
  explicit WindowDevice(Window* w) : w_(w) {}
  void detach() { w_ = nullptr; }

  cairo_surface_t* surface() override {
    if (!w_ || !w_->isCreated()) return nullptr;
    Window* top = w_->topLevel();
    if (!top || !top->impl_->topLevel || top->isDestroyed()) return nullptr;
    return top->impl_->surface;
  }
  DeviceRect deviceRect() override { return w_ ? w_->deviceRect() : DeviceRect{}; }
  DeviceRect clipRect() override { return w_ ? w_->visibleRect() : DeviceRect{}; }
  void markDirty(const DeviceRect& r) override {
    if (!surface()) return;
    gui_detail::markDirty(*w_->topLevel(), r);
  }
  double backdrop() override { return w_ ? w_->backdropColour() : gui_detail::kLightGrey; }

 private:
  Window* w_;
};

namespace {

WindowPtr sharedOf(Window* w) {
  if (!w) return nullptr;
  return std::static_pointer_cast<Window>(w->weak_from_this().lock());
}

int toPixels(double v) { return static_cast<int>(std::lround(v)); }

// Geometry is kept within what whole-pixel arithmetic can add up without overflow; a
// NaN counts as 0. A window larger than any screen is still accepted, only bounded.
constexpr double kMaxCoordinate = 1 << 20;
constexpr double kMaxExtent = 1 << 15;
double bounded(double v, double lo, double hi) { return std::isnan(v) ? 0 : std::clamp(v, lo, hi); }
Point boundedPos(Point p) {
  return Point{bounded(p.x, -kMaxCoordinate, kMaxCoordinate),
               bounded(p.y, -kMaxCoordinate, kMaxCoordinate)};
}
Size boundedSize(Size s) { return Size{bounded(s.w, 0, kMaxExtent), bounded(s.h, 0, kMaxExtent)}; }

double packRgba(const Rgba& c) {
  auto ch = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return 16777216.0 + ch(c.r) + 256.0 * ch(c.g) + 65536.0 * ch(c.b);
}

}  // namespace

Window::Window() : impl_(std::make_unique<Impl>()) { impl_->background = gui_detail::kLightGrey; }

Window::~Window() {
  if (impl_->device) impl_->device->detach();
  gui_detail::forgetWindow(this);
  if (impl_->surface) cairo_surface_destroy(impl_->surface);
}

void Window::Init(const WindowArgs& args) {
  args_ = args;
  impl_->parent = args.parent;
  impl_->owner = args.owner ? args.owner : args.parent;
  if (auto p = toPoint(args.pos)) impl_->pos = boundedPos(*p);
  if (auto s = toSize(args.size)) impl_->size = boundedSize(*s);
  impl_->visible = !(args.visible.isLogical() && !args.visible.logical());
}

void Window::Create() {
  if (impl_->created || impl_->destroyed) return;
  // A subclass may have replaced the arguments before calling here.
  if (args_.parent) impl_->parent = args_.parent;
  if (args_.owner) impl_->owner = args_.owner;
  if (auto p = toPoint(args_.pos)) impl_->pos = boundedPos(*p);
  if (auto s = toSize(args_.size)) impl_->size = boundedSize(*s);

  ErrorSpec noParent;
  noParent.genCode = gen::kGui;
  noParent.subSystem = "GUI";
  noParent.subCode = 1;
  noParent.description = "A " + className() + " window needs a parent window";
  noParent.operation = "Create";
  noParent.canRetry = true;
  guardedOperation([&] { return impl_->parent.lock() != nullptr || args_.parent != nullptr; },
                   noParent);
  if (args_.parent) impl_->parent = args_.parent;
  WindowPtr parent = impl_->parent.lock();
  WindowPtr self = sharedOf(this);
  if (!parent || !self || parent->isDestroyed()) return;

  impl_->created = true;
  parent->impl_->children.push_back(self);
  // The parent holds its children; the links back are weak so that the tree is no cycle.
  args_.parent.reset();
  args_.owner.reset();
  postPaint(self);
}

void Window::Destroy() {
  if (impl_->destroyed) return;
  impl_->destroyed = true;
  WindowPtr keep = sharedOf(this);

  auto children = impl_->children;
  for (auto& c : children) c->Destroy();
  impl_->children.clear();

  if (WindowPtr parent = impl_->parent.lock()) {
    auto& siblings = parent->impl_->children;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [this](const WindowPtr& c) { return c.get() == this; }),
                   siblings.end());
    if (impl_->created && impl_->visible) postPaint(parent);
  }
  gui_detail::forgetWindow(this);
  if (impl_->presSpace) impl_->presSpace->Destroy();
  if (impl_->topLevel) gui_detail::closeNative(*this);
}

bool Window::isCreated() const { return impl_->created && !impl_->destroyed; }
bool Window::isDestroyed() const { return impl_->destroyed; }

void Window::handleEvent(int nEvent, const Value& mp1, const Value& mp2) {
  (void)mp2;
  WindowPtr keep = sharedOf(this);  // a handler may destroy the window
  protectedBlock([&] {
    switch (nEvent) {
      case event::kMotion: Motion(mp1); break;
      case event::kLbDown: lbDown(mp1); break;
      case event::kLbUp: lbUp(mp1); break;
      case event::kPaint:
        if (mp1.isArray() && mp1.length() == 4)
          repaintPart(DeviceRect{static_cast<int>(mp1.element(1).number()), static_cast<int>(mp1.element(2).number()),
                                 static_cast<int>(mp1.element(3).number()), static_cast<int>(mp1.element(4).number())});
        else
          repaintNow();
        break;
      default: break;
    }
  });
}

double Window::SetColorBG() { return impl_->background; }

double Window::SetColorBG(double colour) {
  double previous = impl_->background;
  impl_->background = colour;
  if (isCreated()) postPaint(sharedOf(this));
  return previous;
}

WindowPtr Window::SetParent() const {
  if (auto p = impl_->parent.lock()) return p;
  return args_.parent;
}

std::vector<WindowPtr> Window::ChildList() const { return impl_->children; }

Value Window::ChildListValue() const {
  Array a;
  for (auto& c : impl_->children) a.emplace_back(c);
  return Value::array(std::move(a));
}

Size Window::CurrentSize() const { return impl_->size; }
Point Window::CurrentPos() const { return impl_->pos; }

// The old area is repainted through the parent's queued repaint, the new one through the
// window's own. Paint() is also called once right away, so that a control resizing itself
// from inside its Paint sees that nested call (and can refuse it).
bool Window::SetSize(Size s) {
  s = boundedSize(s);
  if (impl_->topLevel) s = Size{std::max(1.0, s.w), std::max(1.0, s.h)};
  if (!isCreated()) {
    impl_->size = s;
    return true;
  }
  if (s == impl_->size) return true;
  const DeviceRect before = deviceRect();
  impl_->size = s;
  WindowPtr self = sharedOf(this);
  // Stale drawing can only lie in the old area (drawing is clipped to the window).
  if (WindowPtr parent = impl_->parent.lock()) postPaintPart(parent, unite(before, deviceRect()));
  if (impl_->topLevel) gui_detail::resizeNative(*this);
  resized();
  postPaint(self);
  Paint();
  return true;
}

bool Window::SetPos(Point p) {
  p = boundedPos(p);
  if (p == impl_->pos) return true;
  const DeviceRect before = deviceRect();
  impl_->pos = p;
  if (!isCreated()) return true;
  if (WindowPtr parent = impl_->parent.lock()) postPaintPart(parent, unite(before, deviceRect()));
  postPaint(sharedOf(this));
  return true;
}

void Window::InvalidateRect() {
  if (isCreated()) postPaint(sharedOf(this));
}

void Window::InvalidateRect(const Value& aRect) {
  if (!isCreated()) return;
  if (!aRect.isArray() || aRect.length() != 4) {
    postPaint(sharedOf(this));
    return;
  }
  double r[4];
  for (std::size_t i = 0; i < 4; ++i) {
    const Value e = aRect.element(i + 1);
    if (!e.isNumber() || !std::isfinite(e.number())) {
      postPaint(sharedOf(this));
      return;
    }
    r[i] = std::clamp(e.number(), -1e6, 1e6);
  }
  // {x1, y1, x2, y2} in the window's coordinates, x2 and y2 excluded, to device pixels.
  const DeviceRect d = deviceRect();
  const double x1 = std::floor(std::min(r[0], r[2])), x2 = std::ceil(std::max(r[0], r[2]));
  const double y1 = std::floor(std::min(r[1], r[3])), y2 = std::ceil(std::max(r[1], r[3]));
  DeviceRect part{d.x + static_cast<int>(x1), d.y + d.h - static_cast<int>(y2), static_cast<int>(x2 - x1),
                  static_cast<int>(y2 - y1)};
  part = intersect(part, d);
  if (!part.empty()) postPaintPart(sharedOf(this), part);
}

bool Window::CaptureMouse(bool capture) {
  Window* top = isCreated() ? topLevel() : nullptr;
  bool live = top && gui_detail::findTopLevel(top);
  if (!capture) {
    if (gui_detail::captureHolder() == this) {
      gui_detail::setCaptureHolder(nullptr);
      if (live) backend().captureMouse(*top, false);
    }
    return false;
  }
  if (!live) return false;
  if (!backend().captureMouse(*top, true)) return false;
  gui_detail::setCaptureHolder(this);
  return true;
}

bool Window::hasCapture() const { return gui_detail::captureHolder() == this; }

DevicePtr Window::WinDevice() {
  if (!impl_->device) impl_->device = std::make_shared<WindowDevice>(this);
  return impl_->device;
}

QvpPresSpacePtr Window::presSpace() {
  if (!impl_->presSpace) {
    impl_->presSpace = QvpPresSpace::New();
    impl_->presSpace->Create(Value(WinDevice()));
  }
  return impl_->presSpace;
}

WindowPtr Window::owner() const { return impl_->owner.lock(); }

bool Window::isVisible() const { return impl_->topLevel ? impl_->shown : impl_->visible; }

void Window::Show() {
  WindowPtr self = sharedOf(this);
  if (impl_->topLevel) {
    if (!isCreated()) return;
    impl_->shown = true;
    backend().showWindow(*this, true);
    postPaint(self);
    return;
  }
  if (impl_->visible) return;
  impl_->visible = true;
  if (isCreated()) postPaint(self);
}

void Window::Hide() {
  if (impl_->topLevel) {
    if (!isCreated()) return;
    impl_->shown = false;
    backend().showWindow(*this, false);
    return;
  }
  if (!impl_->visible) return;
  impl_->visible = false;
  if (!isCreated()) return;
  if (WindowPtr parent = impl_->parent.lock()) postPaint(parent);
}

Window* Window::topLevel() {
  Window* w = this;
  while (!w->impl_->topLevel) {
    WindowPtr p = w->impl_->parent.lock();
    if (!p) break;
    w = p.get();  // kept alive by its own parent or the top-level list
  }
  return w;
}

DeviceRect Window::deviceRect() const {
  int w = toPixels(impl_->size.w), h = toPixels(impl_->size.h);
  if (impl_->topLevel) return DeviceRect{0, 0, w, h};
  WindowPtr parent = impl_->parent.lock();
  if (!parent) return DeviceRect{0, 0, w, h};
  DeviceRect p = parent->deviceRect();
  int x = p.x + toPixels(impl_->pos.x);
  int y = p.y + p.h - toPixels(impl_->pos.y) - h;
  return DeviceRect{x, y, w, h};
}

DeviceRect Window::visibleRect() const {
  DeviceRect r = deviceRect();
  for (WindowPtr a = impl_->parent.lock(); a; a = a->impl_->parent.lock()) {
    r = intersect(r, a->deviceRect());
    if (a->impl_->topLevel) break;
  }
  return r;
}

void Window::repaintNow() {
  if (!isCreated()) return;
  if (!impl_->topLevel && !impl_->visible) return;
  WindowPtr keep = sharedOf(this);
  fillBackground(visibleRect());
  // Each window paints in a protected block of its own: a break out of one control's
  // Paint must not leave its siblings unpainted.
  protectedBlock([&] { Paint(); });
  auto children = impl_->children;
  for (auto& c : children) c->repaintNow();
}

void Window::repaintPart(DeviceRect part) {
  // Only the plain statics draw nothing of their own, so only their repaint can be cut to
  // a part; any other window, a subclass included, repaints whole.
  if (typeid(*this) != typeid(QvpStatic) && typeid(*this) != typeid(QvpDrawingArea)) {
    repaintNow();
    return;
  }
  if (!isCreated()) return;
  if (!impl_->topLevel && !impl_->visible) return;
  WindowPtr keep = sharedOf(this);
  part = intersect(part, visibleRect());
  if (part.empty()) return;
  // A child always repaints whole, over a background that must be fresh under all of it
  // (captions blend into what is there), so the part grows to every child it touches.
  auto children = impl_->children;
  for (bool grown = true; grown;) {
    grown = false;
    for (auto& c : children) {
      if (!c->isCreated() || !c->isVisible()) continue;
      const DeviceRect v = c->visibleRect();
      if (v.empty() || intersect(v, part).empty()) continue;
      const DeviceRect u = unite(part, v);
      if (!(u == part)) part = u, grown = true;
    }
  }
  fillBackground(part);
  for (auto& c : children)
    if (c->isCreated() && !intersect(c->visibleRect(), part).empty()) c->repaintNow();
}

void Window::fillBackground(const DeviceRect& vis) {
  Window* top = topLevel();
  cairo_surface_t* surface = top->impl_->topLevel ? top->impl_->surface : nullptr;
  if (surface && !vis.empty() && impl_->background != colour_code::kNone) {
    double behind = gui_detail::kLightGrey;
    if (WindowPtr parent = impl_->parent.lock()) behind = parent->backdropColour();
    Rgba c = resolveColour(impl_->background, behind);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    cairo_rectangle(cr, vis.x, vis.y, vis.w, vis.h);
    cairo_fill(cr);
    cairo_destroy(cr);
    gui_detail::markDirty(*top, vis);
  }
}

Window* Window::hitTestDevice(int col, int row) {
  // A top-level window takes the input its backend reports, shown or not.
  if (!isCreated() || (!impl_->topLevel && !impl_->visible)) return nullptr;
  DeviceRect r = visibleRect();
  if (col < r.x || row < r.y || col >= r.x + r.w || row >= r.y + r.h) return nullptr;
  for (auto it = impl_->children.rbegin(); it != impl_->children.rend(); ++it) {
    if (Window* hit = (*it)->hitTestDevice(col, row)) return hit;
  }
  return this;
}

Window* Window::hitTest(Point p) {
  DeviceRect r = deviceRect();
  int col = r.x + static_cast<int>(std::floor(p.x));
  int row = r.y + r.h - 1 - static_cast<int>(std::floor(p.y));
  return hitTestDevice(col, row);
}

Point Window::toLocal(Point topLevelPoint) const {
  DeviceRect r = deviceRect();
  Window* top = const_cast<Window*>(this)->topLevel();
  double topH = top->impl_->size.h;
  return Point{topLevelPoint.x - r.x, topLevelPoint.y - (toPixels(topH) - r.y - r.h)};
}

double Window::backdropColour() const {
  double bg = impl_->background;
  WindowPtr parent = impl_->parent.lock();
  double behind = parent ? parent->backdropColour() : gui_detail::kLightGrey;
  if (bg == colour_code::kNone) return behind;
  if (bg >= 16777216.0) return bg;
  return packRgba(resolveColour(bg, behind));
}

// ---- QvpDialog ------------------------------------------------------------------------

QvpDialog::QvpDialog() = default;

void QvpDialog::Create() {
  if (impl_->created || impl_->destroyed) return;
  if (auto p = toPoint(args_.pos)) impl_->pos = boundedPos(*p);
  if (auto s = toSize(args_.size)) impl_->size = boundedSize(*s);
  if (impl_->size.w < 1 || impl_->size.h < 1) impl_->size = Size{640, 480};
  WindowPtr self = std::static_pointer_cast<Window>(weak_from_this().lock());
  if (!self) return;  // a top-level window must be owned by a shared pointer (New<T>)

  impl_->topLevel = true;
  impl_->created = true;
  // A dialog is a native window; the parent and owner arguments only say where it belongs.
  args_.parent.reset();
  args_.owner.reset();
  gui_detail::registerTopLevel(self);
  gui_detail::openNative(*this, title, impl_->pos);

  drawingArea_ = New<QvpDrawingArea>(self, self, Value::array({0, 0}),
                                     Value::array({impl_->size.w, impl_->size.h}));
  drawingArea_->Create();
  postPaint(self);
  // Dialogs start hidden unless asked to be visible: the caller builds the contents, then
  // calls Show().
  if (args_.visible.isLogical() && args_.visible.logical()) Show();
}

void QvpDialog::Destroy() {
  Window::Destroy();
  drawingArea_.reset();
}

void QvpDialog::handleEvent(int nEvent, const Value& mp1, const Value& mp2) {
  if (nEvent != event::kClose && nEvent != event::kKillFocus) {
    Window::handleEvent(nEvent, mp1, mp2);
    return;
  }
  auto self = std::static_pointer_cast<QvpDialog>(weak_from_this().lock());
  protectedBlock([&] {
    const Value& cb = nEvent == event::kClose ? close : killInputFocus;
    if (!cb.isCallback()) return;
    std::vector<Value> args{Value(), Value(), Value(self)};
    cb.call(args);
  });
}

std::shared_ptr<QvpDrawingArea> QvpDialog::DrawingArea() const { return drawingArea_; }

cairo_surface_t* QvpDialog::backBuffer() const { return impl_->surface; }

void QvpDialog::resized() {
  if (drawingArea_) drawingArea_->SetSize(impl_->size);
}

}  // namespace qv
