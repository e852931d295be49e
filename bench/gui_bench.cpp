// Window-layer costs on the headless backend, in an 800 x 600 dialog whose drawing area
// holds nine statics: routing one pointer move to the static under it, and one queued
// repaint of the whole drawing area (background fill, children in order, presenting).
#include <benchmark/benchmark.h>

#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/window.h"

namespace {

using namespace qv;

struct Scene {
  HeadlessBackend& hb = installHeadlessBackend();
  std::shared_ptr<QvpDialog> dlg = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}),
                                                  Value::array({800, 600}));
  Scene() {
    dlg->Create();
    dlg->DrawingArea()->SetColorBG(16777216.0 + 255);
    for (int i = 0; i < 9; ++i) {
      auto s = New<QvpStatic>(dlg->DrawingArea(), nullptr,
                              Value::array({40 + 80 * i, 100 + 40 * (i % 3)}),
                              Value::array({70, 30}));
      s->Create();
      s->SetColorBG(-255);
    }
    dispatchPending();
  }
  ~Scene() { resetGuiForTesting(); }
};

void BM_RouteMotion(benchmark::State& state) {
  Scene scene;
  int x = 0;
  for (auto _ : state) {
    scene.hb.motion(*scene.dlg, 40 + (x++ % 700), 480);
    Value mp1, mp2;
    ObjectPtr target;
    int code = APPEVENT(mp1, mp2, target);
    std::static_pointer_cast<Window>(target)->handleEvent(code, mp1, mp2);
  }
}
BENCHMARK(BM_RouteMotion);

void BM_RepaintDrawingArea(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.dlg->DrawingArea()->InvalidateRect();
    dispatchPending();
  }
}
BENCHMARK(BM_RepaintDrawingArea)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
