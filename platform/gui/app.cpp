#include "platform/gui/app.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "platform/backend/headless.h"
#include "platform/gui/detail.h"

namespace qv {

namespace {

// One queued entry: either an event posted for a window, or raw backend input that is
// routed only when it is taken, so that a capture taken by the previous event counts.
struct Pending {
  bool raw = false;
  InputEvent input;
  int code = 0;
  Value mp1, mp2;
  std::weak_ptr<Window> target;
};

// A queued repaint: the whole window, or only a part of it (device pixels) when every
// request so far named a part.
struct PendingPaint {
  std::weak_ptr<Window> window;
  bool whole = true;
  DeviceRect part;
};

struct State {
  std::unique_ptr<Backend> backend;
  std::vector<WindowPtr> tops;
  std::deque<Pending> input;
  std::deque<PendingPaint> paints;
  Window* capture = nullptr;
  // The window the left button went down on, while the button is held. Like the implicit
  // grab of X11 and SDL it keeps the pointer until the button comes up, so a control that
  // was pressed without holding the capture still sees the pointer leave and the release:
  // a press can never be left behind, to be completed later by a release nobody aimed.
  Window* pressed = nullptr;
  std::weak_ptr<Object> focus;
  std::vector<Window*> modal;
};

// Never destroyed: windows may still be torn down during static destruction.
State& st() {
  static State* s = new State;
  return *s;
}

WindowPtr sharedOf(Window* w) {
  if (!w) return nullptr;
  return std::static_pointer_cast<Window>(w->weak_from_this().lock());
}

void queueInput(const InputEvent& e) {
  Pending p;
  p.raw = true;
  p.input = e;
  st().input.push_back(std::move(p));
}

void pumpNow() {
  backend().pumpInput(false, queueInput);
}

bool isUserInput(int code) {
  return code == event::kMotion || code == event::kLbDown || code == event::kLbUp ||
         code == event::kKeyboard || code == event::kClose;
}

// Input for a window that a modal box keeps from its input is dropped.
bool blockedByModal(Window* top) {
  Window* modal = gui_detail::currentModal();
  return modal && top != modal;
}

// Where raw input goes now; false when it goes nowhere. No side effects, so that
// eventsPending can ask too.
bool routeRaw(const InputEvent& in, gui_detail::Event& out) {
  WindowPtr top = gui_detail::findTopLevel(in.window);
  if (!top) return false;
  using K = InputEvent::Kind;
  switch (in.kind) {
    case K::FocusLost: {
      // When the program itself moved the focus elsewhere (SETAPPFOCUS, a box opening),
      // the window has had its kKillFocus already; the system's report adds nothing.
      auto holder = std::dynamic_pointer_cast<Window>(st().focus.lock());
      if (holder && holder != top && holder->isCreated()) return false;
      out = {event::kKillFocus, Value(), Value(), top};
      return true;
    }
    case K::FocusGained:
      out = {event::kSetFocus, Value(), Value(), top};
      return true;
    case K::Close:
      if (blockedByModal(top.get())) return false;
      out = {event::kClose, Value(), Value(), top};
      return true;
    case K::Key:
      if (blockedByModal(top.get())) return false;
      out = {event::kKeyboard, Value(in.key), Value(), top};
      return true;
    case K::Motion:
    case K::ButtonDown:
    case K::ButtonUp: {
      if (in.kind != K::Motion && in.button != 1) return false;
      if (blockedByModal(top.get())) return false;
      Window* target = nullptr;
      Window* holder = st().capture;
      Window* pressed = st().pressed;
      if (holder && holder->isCreated() && holder->topLevel() == top.get()) {
        target = holder;
      } else if (pressed && pressed->isCreated() && pressed->topLevel() == top.get()) {
        target = pressed;
      } else {
        target = top->hitTestDevice(in.x, in.y);
      }
      if (in.kind == K::ButtonDown) st().pressed = target;
      if (in.kind == K::ButtonUp) st().pressed = nullptr;
      WindowPtr t = sharedOf(target);
      if (!t) return false;
      DeviceRect r = t->deviceRect();
      Value pos = Value::array({in.x - r.x, r.y + r.h - 1 - in.y});
      int code = in.kind == K::Motion     ? event::kMotion
                 : in.kind == K::ButtonDown ? event::kLbDown
                                            : event::kLbUp;
      out = {code, pos, Value(), t};
      return true;
    }
  }
  return false;
}

}  // namespace

// ---- internals --------------------------------------------------------------------------

namespace gui_detail {

void registerTopLevel(const WindowPtr& w) {
  auto& tops = st().tops;
  if (std::find(tops.begin(), tops.end(), w) == tops.end()) tops.push_back(w);
}

void unregisterTopLevel(Window* w) {
  auto& tops = st().tops;
  tops.erase(std::remove_if(tops.begin(), tops.end(),
                            [w](const WindowPtr& t) { return t.get() == w; }),
             tops.end());
}

WindowPtr findTopLevel(const Window* w) {
  if (!w) return nullptr;
  for (auto& t : st().tops)
    if (t.get() == w && !t->isDestroyed()) return t;
  return nullptr;
}

void forgetWindow(Window* w) {
  State& s = st();
  if (s.pressed == w) s.pressed = nullptr;
  if (s.capture == w) {
    s.capture = nullptr;
    if (w->isCreated()) {
      if (WindowPtr top = findTopLevel(w->topLevel())) s.backend->captureMouse(*top, false);
    }
  }
  if (auto f = s.focus.lock(); f.get() == static_cast<Object*>(w)) s.focus.reset();
  s.modal.erase(std::remove(s.modal.begin(), s.modal.end(), w), s.modal.end());
}

Window* captureHolder() { return st().capture; }
void setCaptureHolder(Window* w) { st().capture = w; }

void markDirty(Window& top, const DeviceRect& r) {
  if (!WindowAccess::of(top).surface) return;
  DeviceRect bounds{0, 0, cairo_image_surface_get_width(WindowAccess::of(top).surface),
                    cairo_image_surface_get_height(WindowAccess::of(top).surface)};
  DeviceRect d = intersect(r, bounds);
  if (d.empty()) return;
  auto& dirty = WindowAccess::of(top).dirty;
  for (auto& e : dirty)
    if (intersect(e, d) == d) return;  // already covered
  dirty.erase(std::remove_if(dirty.begin(), dirty.end(),
                             [&](const DeviceRect& e) { return intersect(e, d) == e; }),
              dirty.end());
  dirty.push_back(d);
  // Many small rectangles cost more to present one by one than their union.
  if (dirty.size() > 16) {
    DeviceRect all = dirty.front();
    for (auto& e : dirty) all = unite(all, e);
    dirty.assign(1, all);
  }
}

void presentAll() {
  auto tops = st().tops;
  for (auto& t : tops) {
    if (t->isDestroyed() || !WindowAccess::of(*t).surface || WindowAccess::of(*t).dirty.empty()) continue;
    cairo_surface_flush(WindowAccess::of(*t).surface);
    auto dirty = std::move(WindowAccess::of(*t).dirty);
    WindowAccess::of(*t).dirty.clear();
    for (auto& r : dirty) backend().present(*t, WindowAccess::of(*t).surface, r);
  }
}

void pushModal(Window* box) { st().modal.push_back(box); }
void popModal(Window* box) {
  auto& m = st().modal;
  m.erase(std::remove(m.begin(), m.end(), box), m.end());
}
Window* currentModal() { return st().modal.empty() ? nullptr : st().modal.back(); }

bool takeEvent(Event& out) {
  pumpNow();
  State& s = st();
  while (!s.input.empty()) {
    Pending p = std::move(s.input.front());
    s.input.pop_front();
    if (p.raw) {
      if (!routeRaw(p.input, out)) continue;
      if (p.input.kind == InputEvent::Kind::FocusGained) s.focus = out.target;
      return true;
    }
    WindowPtr t = p.target.lock();
    if (!t || t->isDestroyed()) continue;
    if (isUserInput(p.code) && blockedByModal(t->topLevel())) continue;
    out = {p.code, p.mp1, p.mp2, t};
    return true;
  }
  while (!s.paints.empty()) {
    PendingPaint p = s.paints.front();
    s.paints.pop_front();
    WindowPtr t = p.window.lock();
    if (!t || !t->isCreated()) continue;
    Value part;
    if (!p.whole) part = Value::array({p.part.x, p.part.y, p.part.w, p.part.h});
    out = {event::kPaint, part, Value(), t};
    return true;
  }
  return false;
}

bool waitForInput() { return backend().pumpInput(true, queueInput); }

void openNative(Window& w, const std::string& title, Point screenPos) {
  Size size = w.CurrentSize();
  int width = std::max(1, static_cast<int>(std::lround(size.w)));
  int height = std::max(1, static_cast<int>(std::lround(size.h)));
  if (WindowAccess::of(w).surface) cairo_surface_destroy(WindowAccess::of(w).surface);
  WindowAccess::of(w).surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  WindowAccess::of(w).nativeTitle = title;
  // Screen positions are y-up from the screen's lower-left corner, like everything else.
  Size screen = backend().screenSize();
  int x = static_cast<int>(std::lround(screenPos.x));
  int y = static_cast<int>(std::lround(screen.h - screenPos.y - height));
  backend().openWindow(w, title, DeviceRect{std::max(0, x), std::max(0, y), width, height});
}

void closeNative(Window& w) {
  backend().closeWindow(w);
  unregisterTopLevel(&w);
  if (WindowAccess::of(w).surface) {
    cairo_surface_destroy(WindowAccess::of(w).surface);
    WindowAccess::of(w).surface = nullptr;
  }
  WindowAccess::of(w).dirty.clear();
}

void resizeNative(Window& w) {
  Size size = w.CurrentSize();
  int width = std::max(1, static_cast<int>(std::lround(size.w)));
  int height = std::max(1, static_cast<int>(std::lround(size.h)));
  if (WindowAccess::of(w).surface) cairo_surface_destroy(WindowAccess::of(w).surface);
  WindowAccess::of(w).surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  WindowAccess::of(w).dirty.clear();
  backend().resizeWindow(w, Size{double(width), double(height)});
}

}  // namespace gui_detail

// ---- the API ------------------------------------------------------------------------------

// Returns the next event. With no window left and no input possible there is nothing to
// return: the code is then kNone and oQVP null, rather than a wait that never ends.
int APPEVENT(Value& mp1, Value& mp2, ObjectPtr& oQVP) {
  gui_detail::Event e;
  for (;;) {
    if (gui_detail::takeEvent(e)) break;
    gui_detail::presentAll();
    if (!gui_detail::waitForInput() && !gui_detail::takeEvent(e)) {
      mp1 = Value();
      mp2 = Value();
      oQVP = nullptr;
      return event::kNone;
    }
  }
  mp1 = e.mp1;
  mp2 = e.mp2;
  oQVP = e.target;
  return e.code;
}

ObjectPtr SETAPPFOCUS(const ObjectPtr& window) {
  State& s = st();
  ObjectPtr previous = s.focus.lock();
  if (previous == window) return previous;
  if (auto pw = std::dynamic_pointer_cast<Window>(previous); pw && pw->isCreated())
    postEvent(event::kKillFocus, Value(), Value(), pw);
  s.focus = window;
  if (auto nw = std::dynamic_pointer_cast<Window>(window); nw && nw->isCreated()) {
    postEvent(event::kSetFocus, Value(), Value(), nw);
    if (WindowPtr top = gui_detail::findTopLevel(nw->topLevel())) backend().raiseWindow(*top);
  }
  return previous;
}

ObjectPtr focusedWindow() { return st().focus.lock(); }

void postEvent(int code, const Value& mp1, const Value& mp2, const WindowPtr& target) {
  if (!target) return;
  if (code == event::kPaint) {
    postPaint(target);
    return;
  }
  // Input the backend already holds arrived first.
  pumpNow();
  Pending p;
  p.code = code;
  p.mp1 = mp1;
  p.mp2 = mp2;
  p.target = target;
  st().input.push_back(std::move(p));
}

void postPaint(const WindowPtr& w) {
  if (!w) return;
  auto& paints = st().paints;
  for (auto& q : paints)
    if (q.window.lock() == w) {
      q.whole = true;
      return;
    }
  paints.push_back(PendingPaint{w, true, {}});
}

void postPaintPart(const WindowPtr& w, const DeviceRect& part) {
  if (!w || part.empty()) return;
  auto& paints = st().paints;
  for (auto& q : paints)
    if (q.window.lock() == w) {
      if (!q.whole) q.part = unite(q.part, part);
      return;
    }
  paints.push_back(PendingPaint{w, false, part});
}

bool eventsPending() {
  pumpNow();
  State& s = st();
  // Entries for windows that are gone would be skipped: they do not count.
  std::erase_if(s.input, [](const Pending& p) {
    if (p.raw) {
      gui_detail::Event unused;
      return !routeRaw(p.input, unused);
    }
    WindowPtr t = p.target.lock();
    return !t || t->isDestroyed();
  });
  std::erase_if(s.paints, [](const PendingPaint& p) {
    WindowPtr t = p.window.lock();
    return !t || !t->isCreated();
  });
  return !s.input.empty() || !s.paints.empty();
}

void clearEvents() {
  st().input.clear();
  st().paints.clear();
}

Backend& backend() {
  State& s = st();
  if (!s.backend) s.backend = std::make_unique<HeadlessBackend>();
  return *s.backend;
}

// Windows that are open keep working: they get a native window on the new backend.
void setBackend(std::unique_ptr<Backend> b) {
  State& s = st();
  s.backend = std::move(b);
  if (!s.backend) return;
  for (auto& t : s.tops) {
    if (t->isDestroyed()) continue;
    gui_detail::openNative(*t, WindowAccess::of(*t).nativeTitle, t->CurrentPos());
    if (t->isVisible()) s.backend->showWindow(*t, true);
    postPaint(t);
  }
  s.capture = nullptr;
  s.pressed = nullptr;
}

void dispatchPending() {
  gui_detail::Event e;
  while (gui_detail::takeEvent(e)) e.target->handleEvent(e.code, e.mp1, e.mp2);
  gui_detail::presentAll();
}

std::vector<WindowPtr> topLevelWindows() {
  std::vector<WindowPtr> out;
  for (auto& t : st().tops)
    if (!t->isDestroyed()) out.push_back(t);
  return out;
}

cairo_surface_t* backBufferOf(Window& w) {
  Window* top = w.topLevel();
  if (!top || top->isDestroyed() || !WindowAccess::of(*top).topLevel) return nullptr;
  return WindowAccess::of(*top).surface;
}

bool writeWindowPng(Window& w, const std::string& path, std::string* why) {
  cairo_surface_t* s = backBufferOf(w);
  if (!s) {
    if (why) *why = "the window has no back buffer";
    return false;
  }
  cairo_surface_flush(s);
  cairo_status_t status = cairo_surface_write_to_png(s, path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    if (why) *why = path + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

void resetGuiForTesting() {
  auto tops = st().tops;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) (*it)->Destroy();
  State& s = st();
  s.tops.clear();
  clearEvents();
  s.capture = nullptr;
  s.pressed = nullptr;
  s.focus.reset();
  s.modal.clear();
}

}  // namespace qv
