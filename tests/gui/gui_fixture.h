// Shared set-up for the window layer's tests: a fresh headless backend per test, pixel
// reading from back buffers, and a static control that records what the window layer
// calls on it.
#pragma once

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/error.h"

namespace qv::testing {

inline double rgb(int r, int g, int b) { return 16777216.0 + r + 256.0 * g + 65536.0 * b; }

struct Pixel {
  int r = 0, g = 0, b = 0;
  bool operator==(const Pixel&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Pixel& p) {
  return os << "{" << p.r << ", " << p.g << ", " << p.b << "}";
}

// Pixel (x, y) of window `w` in its own y-up coordinates, read from its top-level buffer.
inline Pixel pixelOf(Window& w, int x, int y) {
  cairo_surface_t* s = backBufferOf(w);
  if (!s) return {-1, -1, -1};
  cairo_surface_flush(s);
  DeviceRect r = w.deviceRect();
  int col = r.x + x, row = r.y + r.h - 1 - y;
  const unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  std::uint32_t px = *reinterpret_cast<const std::uint32_t*>(data + row * stride + col * 4);
  return {int(px >> 16 & 255), int(px >> 8 & 255), int(px & 255)};
}

// One call the window layer made on a Probe.
struct Call {
  std::string window;
  std::string what;  // "Paint", "Motion", "lbDown", "lbUp"
  double x = 0, y = 0;
};

// A static that logs its callbacks into a shared list and, when asked, paints a square
// of solid colour into its lower-left corner.
class Probe : public QvpStatic {
 public:
  std::string name;
  std::vector<Call>* log = nullptr;
  double squareColour = 0;  // 0: paints nothing
  bool captureOnDown = false;
  bool releaseOnUp = false;
  bool breakInLbDown = false;
  int paints = 0;

  void Paint() override {
    ++paints;
    if (log) log->push_back({name, "Paint"});
    if (squareColour == 0) return;
    auto ps = presSpace();
    auto cr = ps->beginDrawing();
    if (!cr) return;
    DeviceRect r = deviceRect();
    double c = squareColour - 16777216.0;
    int red = int(c) & 255, green = int(c) >> 8 & 255, blue = int(c) >> 16 & 255;
    cairo_set_source_rgb(cr.get(), red / 255.0, green / 255.0, blue / 255.0);
    // The context is in the window's own y-up coordinates, pixel centres on whole numbers.
    cairo_rectangle(cr.get(), -0.5, -0.5, 4, 4);
    cairo_fill(cr.get());
    ps->endDrawing(DeviceRect{r.x, r.y + r.h - 4, 4, 4});
  }
  void record(const char* what, const Value& aPos) {
    if (log) log->push_back({name, what, aPos.element(1).number(), aPos.element(2).number()});
  }
  void Motion(const Value& aPos) override { record("Motion", aPos); }
  void lbDown(const Value& aPos) override {
    record("lbDown", aPos);
    if (captureOnDown) CaptureMouse(true);
    if (breakInLbDown) BREAK("probe");
  }
  void lbUp(const Value& aPos) override {
    record("lbUp", aPos);
    if (releaseOnUp) CaptureMouse(false);
  }
};
using ProbePtr = std::shared_ptr<Probe>;

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hb = &installHeadlessBackend();
    clearShownBoxes();
    setBoxResponder({});
    setBoxObserver({});
  }
  void TearDown() override { resetGuiForTesting(); }

  std::shared_ptr<QvpDialog> makeDialog(double w = 200, double h = 100, const char* title = "T") {
    auto d = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({w, h}));
    d->title = title;
    d->Create();
    return d;
  }
  ProbePtr makeProbe(const WindowPtr& parent, std::string name, double x, double y, double w,
                     double h, double bg = -255) {
    auto p = New<Probe>(parent, nullptr, Value::array({x, y}), Value::array({w, h}));
    p->name = std::move(name);
    p->log = &log;
    p->Create();
    p->SetColorBG(bg);
    return p;
  }

  HeadlessBackend* hb = nullptr;
  std::vector<Call> log;
};

// Events APPEVENT hands out until nothing is queued, as (code, target) pairs, each
// dispatched to its target as a main loop would.
struct Taken {
  int code;
  Object* target;
};
inline std::vector<Taken> drain() {
  std::vector<Taken> out;
  while (eventsPending()) {
    Value mp1, mp2;
    ObjectPtr target;
    int code = APPEVENT(mp1, mp2, target);
    out.push_back({code, target.get()});
    if (auto w = std::dynamic_pointer_cast<Window>(target)) w->handleEvent(code, mp1, mp2);
  }
  return out;
}

}  // namespace qv::testing
