// Drawing costs: a text box query, one rotated caption, a 200 x 100 bitmap drawn 1:1 and
// a fill of a whole 800 x 600 window, each on an offscreen back buffer.
#include <benchmark/benchmark.h>

#include "platform/draw/bitmap.h"
#include "platform/draw/font.h"
#include "platform/draw/gra.h"
#include "tests/draw/test_device.h"

namespace {

using namespace qv;

struct Scene {
  test::Canvas canvas{800, 600};
  QvpFontPtr font = QvpFont::New();
  Scene() {
    font->Create(Value("16.Arial Bold"));
    canvas.ps->setFont(Value(font));
    Value attrs = Value::arrayOf(12);
    attrs.at(1) = packRgb(0, 0, 0);
    attrs.at(6) = Value::array({100 * COS(DTOR(45)), 100 * SIN(DTOR(45))});
    canvas.ps->setAttrString(attrs);
  }
};

void BM_TextBox(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) benchmark::DoNotOptimize(GRAQUERYTEXTBOX(scene.canvas.psv, "Shadow Text"));
}
BENCHMARK(BM_TextBox);

void BM_RotatedCaption(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) GRASTRINGAT(scene.canvas.psv, Point{300, 200}, "Shadow Text");
}
BENCHMARK(BM_RotatedCaption)->Unit(benchmark::kMicrosecond);

void BM_Bitmap200x100(benchmark::State& state) {
  Scene scene;
  auto bitmap = QvpBitmap::New();
  bitmap->Load(Value(), Value(100));
  Value target = Value::array({2, 2, 198, 98}), source = Value::array({0, 0, 196, 96});
  for (auto _ : state) bitmap->Draw(scene.canvas.psv, target, source);
}
BENCHMARK(BM_Bitmap200x100)->Unit(benchmark::kMicrosecond);

void BM_Fill800x600(benchmark::State& state) {
  Scene scene;
  scene.canvas.ps->setAttrArea(Value::array({packRgb(60, 130, 222)}));
  for (auto _ : state) GRABOX(scene.canvas.psv, Point{0, 0}, Point{799, 599}, kGraFill);
}
BENCHMARK(BM_Fill800x600)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
