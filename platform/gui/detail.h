// Internals shared by the window tree, the event queue and the message boxes. Not part of
// the platform's API: only platform/gui and platform/backend include this.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/window.h"

namespace qv {

class WindowDevice;

struct Window::Impl {
  std::weak_ptr<Window> parent;
  std::weak_ptr<Window> owner;
  std::vector<WindowPtr> children;  // creation order: later ones lie above
  Point pos;                        // relative to the parent's lower-left corner
  Size size;
  double background = 0;            // set in the constructor
  bool created = false;
  bool destroyed = false;
  bool visible = true;

  // Top-level windows only: the native window's back buffer and what changed in it.
  bool topLevel = false;
  bool shown = false;
  cairo_surface_t* surface = nullptr;
  std::vector<DeviceRect> dirty;
  std::string nativeTitle;

  std::shared_ptr<WindowDevice> device;
  QvpPresSpacePtr presSpace;
};

// The window layer's own access to a window's internals.
struct WindowAccess {
  static Window::Impl& of(Window& w) { return *w.impl_; }
};

namespace gui_detail {

inline constexpr double kLightGrey = 16777216.0 + 192 + 192 * 256 + 192 * 65536;

// Top-level bookkeeping (app.cpp).
void registerTopLevel(const WindowPtr& w);
void unregisterTopLevel(Window* w);
WindowPtr findTopLevel(const Window* w);  // null unless `w` is a live top-level window

// Called by Window::Destroy: drops the capture and the focus the window held.
void forgetWindow(Window* w);

// Capture holder (app.cpp).
Window* captureHolder();
void setCaptureHolder(Window* w);

// Records changed back-buffer pixels of a top-level window.
void markDirty(Window& top, const DeviceRect& r);
// Shows every changed rectangle of every top-level window through the backend.
void presentAll();

// Modal boxes: while any is open, input goes only to the newest one.
void pushModal(Window* box);
void popModal(Window* box);
Window* currentModal();

// One event taken from the queue without blocking: false when nothing is queued and the
// backend had no input ready. Used by APPEVENT and by the boxes' nested loop.
struct Event {
  int code = 0;
  Value mp1, mp2;
  WindowPtr target;
};
bool takeEvent(Event& out);
// Waits for input through the backend (blocking). False when none can ever come.
bool waitForInput();

// Makes a top-level native window for `w` with a back buffer of its size.
void openNative(Window& w, const std::string& title, Point screenPos);
void closeNative(Window& w);
// Remakes the back buffer of a top-level window at its new size.
void resizeNative(Window& w);

}  // namespace gui_detail
}  // namespace qv
