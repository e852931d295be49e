// Lines, boxes and arcs, checked in the pixels they leave in the back buffer.
#include <gtest/gtest.h>

#include "platform/draw/gra.h"
#include "test_device.h"

namespace qv {
namespace {

using test::argb;
using test::Canvas;
using test::ErrorRecorder;
using test::kWhite;

const double kRed = packRgb(255, 0, 0);
const double kBlue = packRgb(0, 0, 255);

// The window pixels of a given colour.
std::vector<Point> pixelsOf(test::TestDevice& d, std::uint32_t colour, int w, int h) {
  std::vector<Point> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (d.pixel(x, y) == colour) out.push_back({double(x), double(y)});
  return out;
}

TEST(Line, DrawsBothEndPointsAndNothingBeyond) {
  struct Case {
    Point from, to;
    int expected;  // pixels drawn
  } cases[] = {
      {{2, 3}, {12, 3}, 11},  // horizontal
      {{5, 1}, {5, 15}, 15},  // vertical
      {{12, 3}, {2, 3}, 11},  // right to left
      {{7, 7}, {7, 7}, 1},    // a single point
  };
  for (const Case& c : cases) {
    Canvas cv(20, 20);
    ErrorRecorder errors;
    cv.ps->setColor(kRed);
    ASSERT_TRUE(GRALINE(cv.psv, c.from, c.to));
    EXPECT_EQ(cv.device->pixel(int(c.from.x), int(c.from.y)), argb(255, 0, 0));
    EXPECT_EQ(cv.device->pixel(int(c.to.x), int(c.to.y)), argb(255, 0, 0));
    EXPECT_EQ(pixelsOf(*cv.device, argb(255, 0, 0), 20, 20).size(), std::size_t(c.expected))
        << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    EXPECT_TRUE(errors.errors.empty());
  }
}

TEST(Line, DiagonalEndsAreDrawn) {
  Canvas cv(20, 20);
  cv.ps->setColor(kRed);
  GRALINE(cv.psv, Point{1, 1}, Point{15, 9});
  EXPECT_EQ(cv.device->pixel(1, 1), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(15, 9), argb(255, 0, 0));
  // Antialiasing is off: every pixel is either the line colour or untouched.
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      auto p = cv.device->pixel(x, y);
      EXPECT_TRUE(p == kWhite || p == argb(255, 0, 0)) << x << "," << y;
    }
}

TEST(Line, YGrowsUpwardsFromTheLowerLeftCorner) {
  Canvas cv(10, 8);
  cv.ps->setColor(kRed);
  GRALINE(cv.psv, Point{0, 0}, Point{0, 0});
  // Window pixel (0, 0) is the bottom row of the device: row H - 1.
  EXPECT_EQ(cv.device->devicePixel(0, 7), argb(255, 0, 0));
  EXPECT_EQ(cv.device->devicePixel(0, 0), kWhite);
}

TEST(Line, NilStartContinuesFromTheCurrentPosition) {
  Canvas cv(20, 20);
  cv.ps->setColor(kRed);
  cv.ps->startTrace();
  GRALINE(cv.psv, Point{2, 2}, Point{2, 10});
  GRALINE(cv.psv, std::nullopt, Point{10, 10});
  cv.ps->setColor(kBlue);
  GRALINE(cv.psv, std::nullopt, Point{10, 2});
  auto trace = cv.ps->stopTrace();
  std::vector<std::string> expected = {
      "line {2,2} {2,10} 16777471", "line {2,10} {10,10} 16777471", "color 33488896",
      "line {10,10} {10,2} 33488896"};
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(cv.ps->currentPosition(), (Point{10, 2}));
  EXPECT_EQ(cv.device->pixel(6, 10), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(10, 5), argb(0, 0, 255));
}

TEST(Line, IsClippedToTheWindow) {
  // The window is 10 x 10 inside a back buffer with a 5 pixel margin.
  Canvas cv(10, 10, 5);
  ErrorRecorder errors;
  cv.ps->setColor(kRed);
  GRALINE(cv.psv, Point{-50, 4}, Point{50, 4});
  GRALINE(cv.psv, Point{3, -1e12}, Point{3, 1e12});  // far off: still exact and safe
  GRALINE(cv.psv, Point{-1e300, -1e300}, Point{-1e299, -5});  // wholly outside
  EXPECT_TRUE(errors.errors.empty());
  int inside = 0, outside = 0;
  for (int dy = 0; dy < 20; ++dy)
    for (int dx = 0; dx < 20; ++dx) {
      bool inWindow = dx >= 5 && dx < 15 && dy >= 5 && dy < 15;
      if (cv.device->devicePixel(dx, dy) == argb(255, 0, 0)) (inWindow ? inside : outside)++;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(inside, 10 + 10 - 1);
  EXPECT_EQ(cv.device->pixel(0, 4), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(9, 4), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(3, 9), argb(255, 0, 0));
}

TEST(Line, LaterOfSetColorAndLineAttributesColoursTheLine) {
  Canvas cv(10, 10);
  cv.ps->setColor(kBlue);
  cv.ps->setAttrLine(Value::array({kRed, Value(), Value(), Value()}));
  GRALINE(cv.psv, Point{1, 1}, Point{1, 1});
  cv.ps->setColor(kBlue);
  GRALINE(cv.psv, Point{2, 2}, Point{2, 2});
  EXPECT_EQ(cv.device->pixel(1, 1), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(2, 2), argb(0, 0, 255));
}

TEST(Box, StyleThreeOutlinesInLineAndFillsInAreaColour) {
  Canvas cv(30, 20);
  cv.ps->setAttrArea(Value::array({kBlue, Value(), Value(), Value(), Value()}));
  cv.ps->setAttrLine(Value::array({kRed, Value(), Value(), Value()}));
  ASSERT_TRUE(GRABOX(cv.psv, Point{2, 3}, Point{20, 12}, kGraOutlineFill));
  for (int x = 2; x <= 20; ++x) {
    EXPECT_EQ(cv.device->pixel(x, 3), argb(255, 0, 0)) << x;
    EXPECT_EQ(cv.device->pixel(x, 12), argb(255, 0, 0)) << x;
  }
  for (int y = 3; y <= 12; ++y) {
    EXPECT_EQ(cv.device->pixel(2, y), argb(255, 0, 0)) << y;
    EXPECT_EQ(cv.device->pixel(20, y), argb(255, 0, 0)) << y;
  }
  for (int y = 4; y <= 11; ++y)
    for (int x = 3; x <= 19; ++x) EXPECT_EQ(cv.device->pixel(x, y), argb(0, 0, 255));
  // Nothing outside the box.
  EXPECT_EQ(cv.device->pixel(1, 5), kWhite);
  EXPECT_EQ(cv.device->pixel(21, 5), kWhite);
  EXPECT_EQ(cv.device->pixel(5, 2), kWhite);
  EXPECT_EQ(cv.device->pixel(5, 13), kWhite);
}

TEST(Box, FillAloneCoversBothCornersAndOutlineAloneLeavesTheInside) {
  Canvas cv(20, 20);
  cv.ps->setColor(kRed);
  GRABOX(cv.psv, Point{12, 9}, Point{3, 2}, kGraFill);  // corners in either order
  EXPECT_EQ(pixelsOf(*cv.device, argb(255, 0, 0), 20, 20).size(), 10u * 8u);
  Canvas ov(20, 20);
  ov.ps->setColor(kRed);
  GRABOX(ov.psv, Point{3, 2}, Point{12, 9}, kGraOutline);
  EXPECT_EQ(pixelsOf(*ov.device, argb(255, 0, 0), 20, 20).size(), 2u * 10u + 2u * 6u);
  EXPECT_EQ(ov.device->pixel(7, 5), kWhite);
}

TEST(Box, RoundedCornersLeaveTheCornerPixelsUnfilled) {
  Canvas cv(40, 30);
  cv.ps->setAttrArea(Value::array({kBlue}));
  cv.ps->setAttrLine(Value::array({kRed}));
  GRABOX(cv.psv, Point{1, 2}, Point{38, 28}, kGraOutlineFill, 4, 4);
  for (Point corner : {Point{1, 2}, Point{38, 2}, Point{1, 28}, Point{38, 28}})
    EXPECT_EQ(cv.device->pixel(int(corner.x), int(corner.y)), kWhite) << corner.x << "," << corner.y;
  // The sides are straight between the corners, and the middle is filled.
  EXPECT_EQ(cv.device->pixel(1, 15), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(20, 28), argb(255, 0, 0));
  EXPECT_EQ(cv.device->pixel(20, 15), argb(0, 0, 255));
  // Near the corner, on the diagonal, the outline passes (radius 4 from centre {5, 6}).
  EXPECT_NE(cv.device->pixel(2, 3), argb(0, 0, 255));
}

TEST(Box, FarOffCornersAndHugeRadiiFillJustTheWindow) {
  Canvas cv(20, 10, 3);
  cv.ps->setColor(kRed);
  ASSERT_TRUE(GRABOX(cv.psv, Point{-1e12, -1e12}, Point{1e12, 1e12}, kGraFill, 1e12, 1e12));
  EXPECT_EQ(pixelsOf(*cv.device, argb(255, 0, 0), 20, 10).size(), 200u);
  for (int dx = 0; dx < cv.device->bufferWidth(); ++dx)
    EXPECT_EQ(cv.device->devicePixel(dx, 0), kWhite);
}

TEST(Box, BadStyleRaisesAnErrorAndDrawsNothing) {
  Canvas cv(10, 10);
  ErrorRecorder errors;
  EXPECT_FALSE(GRABOX(cv.psv, Point{1, 1}, Point{5, 5}, 7));
  ASSERT_EQ(errors.errors.size(), 1u);
  EXPECT_EQ(pixelsOf(*cv.device, argb(0, 0, 0), 10, 10).size(), 0u);
}

TEST(Arc, PixelsLieInTheSweptQuadrantOnly) {
  struct Case {
    double start, sweep;
    int sx, sy;  // signs of x - cx and y - cy allowed
  } cases[] = {{0, 90, 1, 1}, {90, 90, -1, 1}, {180, 90, -1, -1}, {270, 90, 1, -1},
               {90, -90, 1, 1}};
  for (const Case& c : cases) {
    Canvas cv(60, 60);
    cv.ps->setColor(kRed);
    ASSERT_TRUE(GRAARC(cv.psv, Point{30, 30}, 20, Value(), c.start, c.sweep));
    auto drawn = pixelsOf(*cv.device, argb(255, 0, 0), 60, 60);
    EXPECT_GT(drawn.size(), 25u) << c.start;
    for (Point p : drawn) {
      EXPECT_GE((p.x - 30) * c.sx, 0) << c.start << ": " << p.x << "," << p.y;
      EXPECT_GE((p.y - 30) * c.sy, 0) << c.start << ": " << p.x << "," << p.y;
      double r = std::hypot(p.x - 30, p.y - 30);
      EXPECT_NEAR(r, 20, 1.0);
    }
    // Counter-clockwise from the start angle: the start and end points are drawn.
    double a0 = DTOR(c.start), a1 = DTOR(c.start + c.sweep);
    EXPECT_EQ(cv.device->pixel(int(std::lround(30 + 20 * COS(a0))), int(std::lround(30 + 20 * SIN(a0)))),
              argb(255, 0, 0));
    EXPECT_EQ(cv.device->pixel(int(std::lround(30 + 20 * COS(a1))), int(std::lround(30 + 20 * SIN(a1)))),
              argb(255, 0, 0));
  }
}

TEST(Primitives, NonPresentationSpaceRaisesAnError) {
  ErrorRecorder errors;
  auto unbound = QvpPresSpace::New();
  EXPECT_FALSE(GRALINE(Value(42), Point{0, 0}, Point{1, 1}));
  EXPECT_FALSE(GRABOX(Value(unbound), Point{0, 0}, Point{1, 1}));
  EXPECT_FALSE(GRAARC(Value("ps"), Point{0, 0}, 3, Value(), 0, 90));
  ASSERT_EQ(errors.errors.size(), 3u);
  EXPECT_NE(errors.errors[0]->description.text().find("not a presentation space"),
            std::string::npos);
  EXPECT_NE(errors.errors[1]->description.text().find("not created"), std::string::npos);
}

TEST(Primitives, BadNumbersRaiseErrorsWithoutDrawing) {
  Canvas cv(10, 10);
  ErrorRecorder errors;
  double nan = std::nan("");
  EXPECT_FALSE(GRALINE(cv.psv, Point{nan, 0}, Point{1, 1}));
  EXPECT_FALSE(GRAARC(cv.psv, Point{5, 5}, -3, Value(), 0, 90));
  EXPECT_FALSE(GRABOX(cv.psv, Point{0, 0}, Point{1, INFINITY}));
  EXPECT_EQ(errors.errors.size(), 3u);
  // A huge radius or far centre is accepted and simply shows nothing in the window.
  EXPECT_TRUE(GRAARC(cv.psv, Point{1e15, 1e15}, 1e9, Value(), 0, 360));
  EXPECT_EQ(errors.errors.size(), 3u);
}

TEST(Trig, DegreesAndRadians) {
  EXPECT_DOUBLE_EQ(DTOR(180), std::acos(-1.0));
  EXPECT_NEAR(SIN(DTOR(30)), 0.5, 1e-15);
  EXPECT_NEAR(COS(DTOR(60)), 0.5, 1e-15);
}

}  // namespace
}  // namespace qv
