#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "colour/hsb.h"
#include "colour/rgb.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv {
namespace {

Value triple(Value a, Value b, Value c) { return Value::array({a, b, c}); }

// Compares a triple element by element; NIL must match NIL.
void expectTriple(const Value& got, const Value& want, double tol, const std::string& what) {
  ASSERT_TRUE(got.isArray()) << what;
  ASSERT_EQ(got.length(), 3u) << what;
  for (std::size_t i = 1; i <= 3; ++i) {
    Value g = got.element(i), w = want.element(i);
    if (w.isNil()) {
      EXPECT_TRUE(g.isNil()) << what << " element " << i;
    } else {
      ASSERT_TRUE(g.isNumber()) << what << " element " << i;
      EXPECT_NEAR(g.number(), w.number(), tol) << what << " element " << i;
    }
  }
}

TEST(RgbToHsb, Table) {
  struct Case {
    Value rgb, hsb;
  } cases[] = {
      {triple(255, 0, 0), triple(0, 100, 100)},
      {triple(0, 255, 0), triple(120, 100, 100)},
      {triple(0, 0, 255), triple(240, 100, 100)},
      {triple(255, 255, 0), triple(60, 100, 100)},
      {triple(0, 255, 255), triple(180, 100, 100)},
      {triple(255, 0, 255), triple(300, 100, 100)},
      {triple(156, 100, 200), triple(273.6, 50, 78.431372549)},
      {triple(60, 130, 222), triple(214.074074074, 72.972972973, 87.058823529)},
      {triple(255, 255, 255), triple(Value(), 0, 100)},
      {triple(128, 128, 128), triple(Value(), 0, 50.196078431)},
      {triple(0, 0, 0), triple(Value(), Value(), 0)},
  };
  for (const Case& c : cases) {
    Value arg = c.rgb;
    expectTriple(RGBToHSB(arg), c.hsb, 1e-8, VAR2CHAR(c.rgb));
  }
}

TEST(HsbToRgb, Table) {
  double grey50 = 128 * 100 / 255.0, darkPurple = 200 * 100 / 255.0 - 20;
  struct Case {
    Value hsb, rgb;
  } cases[] = {
      {triple(0, 100, 100), triple(255, 0, 0)},
      {triple(120, 100, 100), triple(0, 255, 0)},
      {triple(300, 100, 80), triple(204, 0, 204)},
      {triple(0, 100, 80), triple(204, 0, 0)},
      {triple(Value(), 0, grey50), triple(128, 128, 128)},
      {triple(273.6, 50, darkPurple), triple(116.22, 74.5, 149)},
      {triple(Value(), 0, grey50 - 20), triple(77, 77, 77)},
      {triple(Value(), Value(), -20), triple(-51, -51, -51)},  // black, darkened
      {triple(-30, 100, 100), triple(255, -127.5, 0)},
      {triple(360, 100, 100), triple(Value(), Value(), Value())},
      {triple(-90, 100, 100), triple(Value(), Value(), Value())},
  };
  for (const Case& c : cases) expectTriple(HSBToRGB(c.hsb), c.rgb, 1e-9, VAR2CHAR(c.hsb));
  // After INT, as the painting code does.
  Value purple = HSBToRGB(triple(273.6, 50, darkPurple));
  EXPECT_EQ(int(purple.element(1).number()), 116);
  EXPECT_EQ(int(purple.element(2).number()), 74);
  // Negative intensities pack to black.
  Value dark = HSBToRGB(triple(0, 50, -16.08));
  EXPECT_LT(dark.element(1).number(), 0);
  EXPECT_EQ(GraMakeRGBColor(dark).number(), 16777216);
}

TEST(Hsb, ConversionIsPure) {
  Value rgb = triple(156, 100, 200);
  Value hsb = RGBToHSB(rgb);
  hsb.at(3) = 10;
  Value back = HSBToRGB(hsb);
  EXPECT_EQ(rgb.element(1).number(), 156);
  EXPECT_EQ(hsb.element(3).number(), 10);
  EXPECT_NE(back.array(), hsb.array());
}

TEST(Hsb, EveryTripleExceptBlackRoundTrips) {
  // The numeric core the Value functions wrap: 16.7 million triples in well under a
  // second.
  double worst = 0;
  for (int r = 0; r < 256; ++r)
    for (int g = 0; g < 256; ++g)
      for (int b = 0; b < 256; ++b) {
        if (r == 0 && g == 0 && b == 0) continue;
        Hsb h = rgbToHsb(r, g, b);
        auto back = hsbToRgb(h.hue, h.saturation, h.brightness);
        ASSERT_TRUE(back) << r << "," << g << "," << b;
        worst = std::max({worst, std::fabs((*back)[0] - r), std::fabs((*back)[1] - g),
                          std::fabs((*back)[2] - b)});
      }
  EXPECT_LT(worst, 1e-6);
}

TEST(Hsb, NonTriplesRaiseARuntimeError) {
  int raised = 0;
  Value previous = ERRORBLOCK(Value::callback([&](std::vector<Value>&) -> Value {
    ++raised;
    return false;
  }));
  EXPECT_TRUE(RGBToHSB(Value()).isNil());  // what GRAGETRGBINTENSITY gives for a code
  EXPECT_TRUE(RGBToHSB(triple(1, "2", 3)).isNil());
  EXPECT_TRUE(HSBToRGB(Value(5)).isNil());
  EXPECT_TRUE(HSBToRGB(triple(Value(), 50, 50)).isNil());  // a saturation needs a hue
  ERRORBLOCK(previous);
  EXPECT_EQ(raised, 4);
}

}  // namespace
}  // namespace qv
