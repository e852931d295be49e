// A headless dialog with its drawing area for the control tests, plus helpers to read
// the back buffer and to record runtime errors instead of ending the test run.
#pragma once

#include <gtest/gtest.h>

#include <cairo.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "colour/rgb.h"
#include "platform/backend/headless.h"
#include "platform/draw/geometry.h"
#include "platform/draw/presspace.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/error.h"

namespace qv::test {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "{" << c.r << ", " << c.g << ", " << c.b << "}";
}
inline double packed(Rgb c) { return rgbColour(c.r, c.g, c.b); }

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backendOwned = std::make_unique<HeadlessBackend>();
    headless = backendOwned.get();
    setBackend(std::move(backendOwned));
    clearEvents();
    clearShownBoxes();
    setBoxResponder({});
    previousBlock_ = ERRORBLOCK(Value::callback([this](std::vector<Value>& args) -> Value {
      if (auto e = args.empty() ? nullptr : args[0].as<Error>()) errors.push_back(e->description.text());
      return false;
    }));
    dlg = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({400, 300}));
    dlg->title = "controls";
    dlg->Create();
    da = dlg->DrawingArea();
    ASSERT_TRUE(da);
    da->SetColorBG(background);
    dispatchPending();
  }
  void TearDown() override {
    if (dlg) dlg->Destroy();
    clearEvents();
    ERRORBLOCK(previousBlock_);
  }

  // Pixel (x, y) of window `w` in its own coordinates (y up).
  Rgb pixel(Window& w, int x, int y) {
    cairo_surface_t* s = dlg->backBuffer();
    cairo_surface_flush(s);
    const DeviceRect r = w.deviceRect();
    const int col = r.x + x, row = r.y + r.h - 1 - y;
    if (col < 0 || row < 0 || col >= cairo_image_surface_get_width(s) ||
        row >= cairo_image_surface_get_height(s)) {
      ADD_FAILURE() << "pixel outside the back buffer";
      return {};
    }
    const unsigned char* data = cairo_image_surface_get_data(s);
    const auto* p = reinterpret_cast<const std::uint32_t*>(data + row * cairo_image_surface_get_stride(s));
    const std::uint32_t v = p[col];
    return Rgb{int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)};
  }

  // The pixels of window `w` that have colour `c`, as {x, y} in its coordinates.
  std::vector<Point> pixelsOf(Window& w, Rgb c) {
    std::vector<Point> out;
    const Size s = w.CurrentSize();
    for (int y = 0; y < int(s.h); ++y)
      for (int x = 0; x < int(s.w); ++x)
        if (pixel(w, x, y) == c) out.push_back(Point{double(x), double(y)});
    return out;
  }

  static Point centroid(const std::vector<Point>& pts) {
    Point c;
    for (const Point& p : pts) {
      c.x += p.x;
      c.y += p.y;
    }
    if (!pts.empty()) {
      c.x /= double(pts.size());
      c.y /= double(pts.size());
    }
    return c;
  }

  static Value at(double x, double y) { return Value::array({x, y}); }

  Rgb backgroundRgb{255, 255, 255};
  double background = rgbColour(255, 255, 255);
  HeadlessBackend* headless = nullptr;
  std::shared_ptr<QvpDialog> dlg;
  std::shared_ptr<QvpDrawingArea> da;
  std::vector<std::string> errors;

 private:
  Value previousBlock_;
};

// The trace lines of `ps` that begin with `prefix`.
inline std::vector<std::string> linesStarting(const std::vector<std::string>& trace, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& l : trace)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

}  // namespace qv::test
