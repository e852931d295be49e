// Repainting part of a plain static: the background there and every child the part
// touches are repainted whole, others are left alone, and the result is the picture a
// whole repaint gives.
#include <gtest/gtest.h>

#include <limits>

#include "platform/runtime/runtime.h"

#include "tests/gui/gui_fixture.h"

namespace qv::testing {
namespace {

std::vector<std::uint32_t> allPixels(Window& w) {
  cairo_surface_t* s = backBufferOf(w);
  cairo_surface_flush(s);
  const int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
  std::vector<std::uint32_t> out;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                             y * cairo_image_surface_get_stride(s));
    out.insert(out.end(), row, row + width);
  }
  return out;
}

class PartialRepaint : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dlg = makeDialog(200, 100);
    da = dlg->DrawingArea();
    da->SetColorBG(rgb(0, 0, 255));
    // a and b overlap, b and c overlap, d stands apart.
    a = makeProbe(da, "a", 10, 10, 30, 30);
    b = makeProbe(da, "b", 30, 30, 30, 30);
    c = makeProbe(da, "c", 55, 55, 30, 30);
    d = makeProbe(da, "d", 150, 10, 30, 30);
    for (auto& p : {a, b, c, d}) p->squareColour = rgb(255, 255, 0);
    drain();
    for (auto& p : {a, b, c, d}) p->paints = 0;
  }
  std::shared_ptr<QvpDialog> dlg;
  std::shared_ptr<QvpDrawingArea> da;
  ProbePtr a, b, c, d;
};

TEST_F(PartialRepaint, TouchedChildrenRepaintWholeAndTheRestIsLeftAlone) {
  // Stale drawing inside a that a part repaint must erase.
  a->squareColour = 0;
  da->InvalidateRect(Value::array({12, 12, 20, 20}));
  drain();
  EXPECT_EQ(pixelOf(*a, 0, 0), (Pixel{0, 0, 255})) << "the old square is gone";
  EXPECT_EQ(a->paints, 1);
  // b touches a, which the part grew to, and c touches b: each repaints once, whole.
  EXPECT_EQ(b->paints, 1);
  EXPECT_EQ(c->paints, 1);
  EXPECT_EQ(d->paints, 0) << "far from the part";
  EXPECT_EQ(pixelOf(*b, 0, 0), (Pixel{255, 255, 0}));
  const auto partial = allPixels(*dlg);
  da->InvalidateRect();
  drain();
  EXPECT_EQ(partial, allPixels(*dlg)) << "a part repaint shows what a whole one shows";
}

TEST_F(PartialRepaint, QueuedPartsUniteAndAWholeRepaintCoversThem) {
  da->InvalidateRect(Value::array({150, 10, 160, 20}));
  da->InvalidateRect(Value::array({10, 10, 12, 12}));
  const auto taken = drain();
  ASSERT_EQ(taken.size(), 1u) << "one coalesced repaint";
  EXPECT_EQ(d->paints, 1);
  EXPECT_EQ(a->paints, 1);

  for (auto& p : {a, b, c, d}) p->paints = 0;
  da->InvalidateRect(Value::array({150, 10, 160, 20}));
  da->InvalidateRect();
  drain();
  for (auto& p : {a, b, c, d}) EXPECT_EQ(p->paints, 1) << p->name;
}

TEST_F(PartialRepaint, OddRectanglesRepaintWholeOrNothingAndNeverFail) {
  struct Case {
    Value rect;
    int paintsOfD;  // d is far from every real part below
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {Value::array({1, 2, 3}), 1},                        // not four numbers: whole
      {Value::array({"x", 0, 1, 1}), 1},                   // not numbers: whole
      {Value::array({0, 0, inf, 1}), 1},                   // not finite: whole
      {Value("all"), 1},                                   // not an array: whole
      {Value::array({500, 500, 600, 600}), 0},             // outside the window: nothing
      {Value::array({20, 20, 20, 20}), 0},                 // empty: nothing
      {Value::array({-1e300, -1e300, 1e300, 1e300}), 1},   // huge: clipped to the window
  };
  for (const auto& k : cases) {
    d->paints = 0;
    da->InvalidateRect(k.rect);
    drain();
    EXPECT_EQ(d->paints, k.paintsOfD) << VAR2CHAR(k.rect);
  }
}

TEST_F(PartialRepaint, AWindowThatPaintsItselfRepaintsWholeForAPart) {
  // A probe paints in its Paint, so a part of it cannot be repainted alone.
  auto inner = makeProbe(b, "inner", 0, 0, 5, 5);
  drain();
  b->paints = inner->paints = 0;
  b->InvalidateRect(Value::array({20, 20, 22, 22}));
  drain();
  EXPECT_EQ(b->paints, 1);
  EXPECT_EQ(inner->paints, 1) << "a whole repaint includes every child";
}

}  // namespace
}  // namespace qv::testing
