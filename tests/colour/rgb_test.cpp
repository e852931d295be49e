#include <gtest/gtest.h>

#include "colour/rgb.h"

namespace qv {
namespace {

Value triple(Value r, Value g, Value b) { return Value::array({r, g, b}); }

TEST(MakeRgb, PacksTriples) {
  struct Case {
    Value rgb;
    double packed;
  } cases[] = {
      {triple(0, 0, 0), 16777216},        {triple(255, 255, 255), 33554431},
      {triple(255, 0, 0), 16777471},      {triple(0, 255, 0), 16842496},
      {triple(0, 0, 255), 33488896},      {triple(156, 100, 200), 29910172},
      {Value::array({1, 2, 3, "x"}), 16974337},
      {triple(0.5, 0, 0), 16777216.5},  // fractions stay
  };
  for (const Case& c : cases) {
    Value v = GraMakeRGBColor(c.rgb);
    ASSERT_TRUE(v.isNumber());
    EXPECT_EQ(v.number(), c.packed);
  }
}

TEST(MakeRgb, ClampsTheCallersArrayInPlace) {
  Value rgb = triple(300, -5, 128);
  Value alias = rgb;  // the same array
  EXPECT_EQ(GraMakeRGBColor(rgb).number(), 25166079);
  EXPECT_EQ(alias.element(1).number(), 255);
  EXPECT_EQ(alias.element(2).number(), 0);
  EXPECT_EQ(alias.element(3).number(), 128);
}

TEST(MakeRgb, RejectsWhatIsNotATripleAndLeavesItAlone) {
  Value mixed = Value::array({300, "2", 3});
  Value cases[] = {Value::array({1, 2}), mixed, Value::array({}), Value("16777216"), Value(),
                   Value(16777216), Value::array({Value(), 1, 2})};
  for (const Value& c : cases) EXPECT_TRUE(GraMakeRGBColor(c).isNil()) << c.typeCode();
  EXPECT_EQ(mixed.element(1).number(), 300);  // not clamped
}

TEST(IsRgb, MarkerBitAndNoUpperBound) {
  for (Value v : {Value(15), Value(-255), Value(16777215), Value("16777216"), Value(),
                  Value(true)})
    EXPECT_FALSE(GRAISRGBCOLOR(v));
  for (Value v : {Value(16777216), Value(33554431), Value(40000000), Value(16777216.5)})
    EXPECT_TRUE(GRAISRGBCOLOR(v));
}

TEST(RgbIntensity, SplitsWithoutMasking) {
  Value t = GRAGETRGBINTENSITY(16974337);
  EXPECT_EQ(t.element(1).number(), 1);
  EXPECT_EQ(t.element(2).number(), 2);
  EXPECT_EQ(t.element(3).number(), 3);
  EXPECT_TRUE(GRAGETRGBINTENSITY(100).isNil());
  EXPECT_TRUE(GRAGETRGBINTENSITY("x").isNil());
  EXPECT_EQ(GRAGETRGBINTENSITY(33554432).element(3).number(), 256);
  EXPECT_EQ(GRAGETRGBINTENSITY(16777216.25).element(1).number(), 0.25);
}

TEST(RgbIntensity, EveryWholeTripleSurvivesPackingAndSplitting) {
  // Every red and blue, with the greens at the edges of their bits: the channels are
  // split by division, so a carry between them would show at these values.
  for (int r = 0; r < 256; ++r)
    for (int g : {0, 1, 2, 127, 128, 129, 254, 255})
      for (int b = 0; b < 256; ++b) {
        Value t = GRAGETRGBINTENSITY(rgbColour(r, g, b));
        ASSERT_EQ(t.element(1).number(), r);
        ASSERT_EQ(t.element(2).number(), g);
        ASSERT_EQ(t.element(3).number(), b);
      }
  EXPECT_EQ(rgbColour(156, 100, 200), 29910172);
}

}  // namespace
}  // namespace qv
