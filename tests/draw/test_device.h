// A drawing device over a plain Cairo image surface, and a recorder for runtime errors,
// for drawing tests that need no window layer.
#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/colours.h"
#include "platform/draw/device.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/error.h"

namespace qv::test {

// The window sits at (left, top) of a larger back buffer, so that clipping to the window
// can be seen in the pixels around it.
class TestDevice : public Device {
 public:
  TestDevice(int w, int h, int margin = 0, double backdrop = packRgb(255, 255, 255))
      : rect_{margin, margin, w, h}, backdrop_(backdrop) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w + 2 * margin, h + 2 * margin);
    clear(0xffffffff);
  }
  ~TestDevice() override { cairo_surface_destroy(surface_); }

  cairo_surface_t* surface() override { return surface_; }
  DeviceRect deviceRect() override { return rect_; }
  DeviceRect clipRect() override { return rect_; }
  void markDirty(const DeviceRect& r) override { dirty_ = unite(dirty_, r); }
  double backdrop() override { return backdrop_; }

  void clear(std::uint32_t argb) {
    cairo_surface_flush(surface_);
    auto* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < cairo_image_surface_get_height(surface_); ++y)
      for (int x = 0; x < cairo_image_surface_get_width(surface_); ++x)
        reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = argb;
    cairo_surface_mark_dirty(surface_);
  }
  // Back-buffer pixel, device coordinates (top-left origin), 0xAARRGGBB.
  std::uint32_t devicePixel(int dx, int dy) {
    cairo_surface_flush(surface_);
    auto* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<std::uint32_t*>(data + dy * stride)[dx] | 0;
  }
  // Window pixel (x, y), y up from the window's lower-left corner.
  std::uint32_t pixel(int x, int y) {
    return devicePixel(rect_.x + x, rect_.y + rect_.h - 1 - y);
  }
  int bufferWidth() { return cairo_image_surface_get_width(surface_); }
  int bufferHeight() { return cairo_image_surface_get_height(surface_); }
  DeviceRect dirty() const { return dirty_; }
  void setBackdrop(double b) { backdrop_ = b; }

 private:
  cairo_surface_t* surface_;
  DeviceRect rect_;
  DeviceRect dirty_{};
  double backdrop_;
};

inline std::uint32_t argb(int r, int g, int b) {
  return 0xff000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}
inline constexpr std::uint32_t kWhite = 0xffffffff;

// Installs an error callback that records each error and takes the default; restores
// the previous callback when it goes.
class ErrorRecorder {
 public:
  ErrorRecorder() {
    previous_ = ERRORBLOCK(Value::callback([this](std::vector<Value>& args) -> Value {
      if (!args.empty()) {
        if (auto e = args[0].as<Error>()) errors.push_back(e);
      }
      return false;
    }));
  }
  ~ErrorRecorder() { ERRORBLOCK(previous_); }
  ErrorRecorder(const ErrorRecorder&) = delete;
  ErrorRecorder& operator=(const ErrorRecorder&) = delete;

  std::string lastDescription() const {
    return errors.empty() ? "" : errors.back()->description.text();
  }
  std::vector<ErrorPtr> errors;

 private:
  Value previous_;
};

// A created presentation space on a fresh test device.
struct Canvas {
  std::shared_ptr<TestDevice> device;
  QvpPresSpacePtr ps;
  Value psv;
  Canvas(int w, int h, int margin = 0) {
    device = std::make_shared<TestDevice>(w, h, margin);
    ps = QvpPresSpace::New();
    ps->Create(Value(device), Value::array({640, 480}));
    psv = Value(ps);
  }
};

}  // namespace qv::test
