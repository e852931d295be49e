#include "platform/backend/headless.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/gui/app.h"
#include "platform/gui/window.h"

namespace qv {

HeadlessBackend::HeadlessBackend(Size screen) : screen_(screen) {}

HeadlessBackend::WindowInfo* HeadlessBackend::find(const Window& top) {
  for (auto& w : windows_)
    if (w.window == &top) return &w;
  return nullptr;
}

const HeadlessBackend::WindowInfo* HeadlessBackend::info(const Window& top) const {
  return const_cast<HeadlessBackend*>(this)->find(top);
}

void HeadlessBackend::openWindow(Window& top, const std::string& title, DeviceRect screenRect) {
  if (WindowInfo* w = find(top)) {
    w->title = title;
    w->screenRect = screenRect;
    return;
  }
  windows_.push_back(WindowInfo{&top, title, screenRect, false, 0});
}

void HeadlessBackend::closeWindow(Window& top) {
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [&](const WindowInfo& w) { return w.window == &top; }),
                 windows_.end());
  // Input still queued for a closed window would name a dead window.
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [&](const InputEvent& e) { return e.window == &top; }),
                 pending_.end());
  presented_.erase(std::remove_if(presented_.begin(), presented_.end(),
                                  [&](const Presented& p) { return p.window == &top; }),
                   presented_.end());
}

void HeadlessBackend::setTitle(Window& top, const std::string& title) {
  if (WindowInfo* w = find(top)) w->title = title;
}

void HeadlessBackend::showWindow(Window& top, bool show) {
  if (WindowInfo* w = find(top)) w->shown = show;
}

void HeadlessBackend::raiseWindow(Window& top) {
  if (WindowInfo* w = find(top)) ++w->raised;
}

void HeadlessBackend::resizeWindow(Window& top, Size size) {
  if (WindowInfo* w = find(top)) {
    w->screenRect.w = static_cast<int>(std::lround(size.w));
    w->screenRect.h = static_cast<int>(std::lround(size.h));
  }
}

void HeadlessBackend::present(Window& top, cairo_surface_t* backBuffer, const DeviceRect& dirty) {
  (void)backBuffer;
  // The record is for tests that look at the last few presents; a long run must not grow
  // it without bound, so the older half goes once it is large.
  constexpr std::size_t kMaxPresented = 4096;
  if (presented_.size() >= kMaxPresented)
    presented_.erase(presented_.begin(), presented_.begin() + kMaxPresented / 2);
  presented_.push_back(Presented{&top, dirty});
}

bool HeadlessBackend::deliver(const std::function<void(const InputEvent&)>& sink) {
  bool any = false;
  while (!pending_.empty()) {
    InputEvent e = pending_.front();
    pending_.pop_front();
    sink(e);
    any = true;
  }
  return any;
}

bool HeadlessBackend::pumpInput(bool block, const std::function<void(const InputEvent&)>& sink) {
  if (deliver(sink) || !block) return true;
  // An idle handler that itself waits for events must not recurse into itself.
  if (idle_ && !inIdle_) {
    inIdle_ = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{inIdle_};
    idle_();
  }
  if (deliver(sink)) return true;
  if (windows_.empty()) return false;
  auto windows = windows_;
  for (auto& w : windows) {
    InputEvent e;
    e.kind = InputEvent::Kind::Close;
    e.window = const_cast<Window*>(w.window);
    sink(e);
  }
  return true;
}

bool HeadlessBackend::captureMouse(Window& top, bool capture) {
  (void)top;
  if (!capture) return true;
  ++captureAttempts_;
  return !captureFails_;
}

void HeadlessBackend::inject(const InputEvent& e) { pending_.push_back(e); }

void HeadlessBackend::motion(Window& top, int x, int y) {
  inject(InputEvent{InputEvent::Kind::Motion, &top, x, y, 1, 0});
}
void HeadlessBackend::buttonDown(Window& top, int x, int y, int button) {
  inject(InputEvent{InputEvent::Kind::ButtonDown, &top, x, y, button, 0});
}
void HeadlessBackend::buttonUp(Window& top, int x, int y, int button) {
  inject(InputEvent{InputEvent::Kind::ButtonUp, &top, x, y, button, 0});
}
void HeadlessBackend::click(Window& top, int x, int y) {
  buttonDown(top, x, y);
  buttonUp(top, x, y);
}
void HeadlessBackend::close(Window& top) {
  inject(InputEvent{InputEvent::Kind::Close, &top, 0, 0, 1, 0});
}
void HeadlessBackend::focusLost(Window& top) {
  inject(InputEvent{InputEvent::Kind::FocusLost, &top, 0, 0, 1, 0});
}
void HeadlessBackend::focusGained(Window& top) {
  inject(InputEvent{InputEvent::Kind::FocusGained, &top, 0, 0, 1, 0});
}
void HeadlessBackend::key(Window& top, int code) {
  inject(InputEvent{InputEvent::Kind::Key, &top, 0, 0, 1, code});
}

InputEvent HeadlessBackend::at(Window& w, Point p, InputEvent::Kind kind) {
  DeviceRect r = w.deviceRect();
  InputEvent e;
  e.kind = kind;
  e.window = w.topLevel();
  e.x = r.x + static_cast<int>(std::floor(p.x));
  e.y = r.y + r.h - 1 - static_cast<int>(std::floor(p.y));
  return e;
}

void HeadlessBackend::motionAt(Window& w, Point p) { inject(at(w, p, InputEvent::Kind::Motion)); }
void HeadlessBackend::lbDownAt(Window& w, Point p) {
  inject(at(w, p, InputEvent::Kind::ButtonDown));
}
void HeadlessBackend::lbUpAt(Window& w, Point p) { inject(at(w, p, InputEvent::Kind::ButtonUp)); }
void HeadlessBackend::clickAt(Window& w, Point p) {
  lbDownAt(w, p);
  lbUpAt(w, p);
}

void HeadlessBackend::setIdleHandler(std::function<void()> handler) { idle_ = std::move(handler); }

HeadlessBackend& installHeadlessBackend(Size screen) {
  auto b = std::make_unique<HeadlessBackend>(screen);
  HeadlessBackend& ref = *b;
  setBackend(std::move(b));
  return ref;
}

}  // namespace qv
