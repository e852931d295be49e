// A backend shows top-level windows and delivers input. Two exist: headless (offscreen,
// synthetic input, for tests and runs without a display) and SDL (a real window).
#pragma once

#include <cairo.h>

#include <functional>
#include <string>

#include "platform/draw/geometry.h"

namespace qv {

class Window;

// Input as a backend reports it, in the top-level window's device pixels (y down).
struct InputEvent {
  enum class Kind { Motion, ButtonDown, ButtonUp, Close, FocusLost, FocusGained, Key };
  Kind kind = Kind::Motion;
  Window* window = nullptr;  // the top-level window it happened in
  int x = 0, y = 0;          // device pixels from the top-left corner of its client area
  int button = 1;            // 1 left
  int key = 0;               // see keys in boxes.h
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::string name() const = 0;
  virtual bool headless() const = 0;
  // A native window for a top-level window: `surface` is its back buffer.
  virtual void openWindow(Window& top, const std::string& title, DeviceRect screenRect) = 0;
  virtual void closeWindow(Window& top) = 0;
  virtual void setTitle(Window& top, const std::string& title) = 0;
  virtual void showWindow(Window& top, bool show) = 0;
  virtual void raiseWindow(Window& top) = 0;
  // Shows the changed rectangle of the back buffer.
  virtual void present(Window& top, cairo_surface_t* backBuffer, const DeviceRect& dirty) = 0;
  // Moves native input into `sink`. With `block` it waits until at least one event came.
  // Returns false when nothing can ever come (a headless backend with no input left).
  virtual bool pumpInput(bool block, const std::function<void(const InputEvent&)>& sink) = 0;
  // Native mouse capture for the top-level window; false when it cannot be had.
  virtual bool captureMouse(Window& top, bool capture) = 0;
  virtual Size screenSize() const = 0;
  // The top-level window's client area changed size (its back buffer was remade).
  virtual void resizeWindow(Window& top, Size size) {
    (void)top;
    (void)size;
  }
};

}  // namespace qv
