// A drawing device: the region of a top-level window's back buffer that one window owns.
// Windows (platform/gui) implement it; presentation spaces draw through it.
#pragma once

#include <cairo.h>

#include <memory>

#include "platform/draw/geometry.h"
#include "platform/runtime/value.h"

namespace qv {

class Device : public Object {
  QV_CLASS(Device, Object)
 public:
  // The back buffer (an ARGB32 image surface) or null while the window is not created or
  // already destroyed. Drawing on a device without a surface draws nothing.
  virtual cairo_surface_t* surface() = 0;
  // The window's region in back-buffer pixels (top-left origin).
  virtual DeviceRect deviceRect() = 0;
  // The part of deviceRect() that is visible (clipped by the ancestors); drawing is
  // clipped to it.
  virtual DeviceRect clipRect() = 0;
  // Tells the window layer that these back-buffer pixels changed and must be presented.
  virtual void markDirty(const DeviceRect& r) = 0;
  // The packed RGB colour that shows behind this window: its own background, or the
  // nearest ancestor's where it has none (code -255). Colour codes resolve against it.
  virtual double backdrop() = 0;
};
using DevicePtr = std::shared_ptr<Device>;

// Pixel (x, y) of a window of height H is device row top + H - 1 - y. These map window
// coordinates to Cairo user space on the back buffer, through pixel centres.
double deviceX(const DeviceRect& r, double x);  // r.x + x + 0.5
double deviceY(const DeviceRect& r, double y);  // r.y + r.h - 1 - y + 0.5

}  // namespace qv
