// Fonts from compound names, text boxes and text drawn along its baseline.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/draw/font.h"
#include "platform/draw/gra.h"
#include "test_device.h"

namespace qv {
namespace {

using test::Canvas;
using test::ErrorRecorder;
using test::kWhite;

TEST(Font, CompoundNamesResolveToTheMatchingFaces) {
  struct Case {
    const char* name;
    const char* face;
    double pixels;
  } cases[] = {
      {"16.Arial", "Liberation Sans", 16 * 96 / 72.0},
      {"16.Arial Bold", "Liberation Sans Bold", 16 * 96 / 72.0},
      {"18.Arial Bold Italic", "Liberation Sans Bold Italic", 24},
      {"24.Times New Roman Bold Italic", "Liberation Serif Bold Italic", 32},
      {"8.Arial", "Liberation Sans", 8 * 96 / 72.0},
  };
  for (const Case& c : cases) {
    auto font = QvpFont::New();
    ErrorRecorder errors;
    ASSERT_TRUE(font->Create(Value(c.name))) << c.name;
    EXPECT_EQ(font->faceName(), c.face) << c.name;
    EXPECT_NEAR(font->pixelSize(), c.pixels, 1e-3) << c.name;
    EXPECT_EQ(font->CompoundName(), c.name);
    EXPECT_TRUE(errors.errors.empty());
  }
}

TEST(Font, BadNamesRaiseAClearErrorAndKeepTheFont) {
  struct Case {
    Value name;
    const char* says;
  } cases[] = {
      {"", "empty"},          {"Arial", "full stop"},   {"x.Arial", "not a positive"},
      {"-3.Arial", "not a positive"}, {"0.Arial", "larger than 0"},
      {"99999.Arial", "larger than 1000"}, {"16.", "face"}, {"16. Bold", "face"},
      {Value(16), "must be a text"}, {Value(), "must be a text"},
  };
  auto font = QvpFont::New();
  ASSERT_TRUE(font->Create(Value("16.Arial Bold")));
  unsigned generation = font->generation();
  for (const Case& c : cases) {
    ErrorRecorder errors;
    EXPECT_FALSE(font->Configure(c.name));
    ASSERT_EQ(errors.errors.size(), 1u);
    std::string text = errors.lastDescription();
    EXPECT_NE(text.find("Invalid font compound name"), std::string::npos) << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
  }
  EXPECT_EQ(font->CompoundName(), "16.Arial Bold");
  EXPECT_EQ(font->faceName(), "Liberation Sans Bold");
  EXPECT_EQ(font->generation(), generation);
}

TEST(Font, ParsesSizeFaceAndStyles) {
  auto n = parseCompoundName("24.Times New Roman Bold Italic");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->points, 24);
  EXPECT_EQ(n->family, "Times New Roman");
  EXPECT_TRUE(n->bold);
  EXPECT_TRUE(n->italic);
  auto italicOnly = parseCompoundName("12.Arial Italic");
  ASSERT_TRUE(italicOnly);
  EXPECT_FALSE(italicOnly->bold);
  EXPECT_TRUE(italicOnly->italic);
  EXPECT_EQ(italicOnly->family, "Arial");
}

TEST(Font, ConfigureGivesANewGeneration) {
  auto a = QvpFont::New(), b = QvpFont::New();
  a->Create(Value("16.Arial"));
  b->Create(Value("16.Arial"));
  EXPECT_NE(a->generation(), b->generation());
  unsigned before = a->generation();
  a->Configure(Value("20.Arial"));
  EXPECT_NE(a->generation(), before);
}

// ---- text boxes --------------------------------------------------------------------------

struct TextCanvas : Canvas {
  QvpFontPtr font = QvpFont::New();
  TextCanvas(int w, int h, const char* fontName = "16.Arial") : Canvas(w, h) {
    font->Create(Value(fontName));
    ps->setFont(Value(font));
    ps->setColor(packRgb(0, 0, 0));
  }
  void angle(double degrees) {
    Value a = Value::arrayOf(12);
    a.at(6) = Value::array({100 * COS(DTOR(degrees)), 100 * SIN(DTOR(degrees))});
    ps->setAttrString(a);
  }
};

TEST(TextBox, HorizontalAndUprightBoxesFollowTheMetrics) {
  TextCanvas tc(10, 10);
  auto flat = GRAQUERYTEXTBOX(tc.psv, "Hello");
  double a = flat[0].y, e = -flat[1].y, w = flat[2].x;
  EXPECT_GT(a, 10);
  EXPECT_GT(e, 2);
  EXPECT_GT(w, 30);
  EXPECT_EQ(flat[0].x, 0);
  EXPECT_EQ(flat[1].x, 0);
  EXPECT_EQ(flat[3], (Point{w, -e}));
  EXPECT_EQ(flat[2].y, a);
  EXPECT_EQ(flat[4], (Point{w, 0}));

  tc.angle(90);
  auto up = GRAQUERYTEXTBOX(tc.psv, "Hello");
  Point expected[4] = {{-a, 0}, {e, 0}, {-a, w}, {e, w}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(up[i].x, expected[i].x, 1e-9) << i;
    EXPECT_NEAR(up[i].y, expected[i].y, 1e-9) << i;
  }
}

TEST(TextBox, MeasuresTheSameAtAnyAngleAndGrowsWithTheText) {
  TextCanvas tc(10, 10);
  auto flat = GRAQUERYTEXTBOX(tc.psv, "Colour 1");
  double w = flat[2].x, h = flat[0].y - flat[1].y;
  for (double deg : {12.5, 45.0, 90.0, 137.0, -24.0, -90.0}) {
    tc.angle(deg);
    auto b = GRAQUERYTEXTBOX(tc.psv, "Colour 1");
    EXPECT_NEAR(std::hypot(b[2].x - b[0].x, b[2].y - b[0].y), w, 1e-9) << deg;
    EXPECT_NEAR(std::hypot(b[0].x - b[1].x, b[0].y - b[1].y), h, 1e-9) << deg;
  }
  tc.angle(0);
  EXPECT_GT(GRAQUERYTEXTBOX(tc.psv, "Colour 12")[2].x, w);
  EXPECT_EQ(GRAQUERYTEXTBOX(tc.psv, "")[2].x, 0);
}

TEST(TextBox, BiggerFontBiggerBoxAndFontChangesAreSeen) {
  TextCanvas tc(10, 10);
  double small = GRAQUERYTEXTBOX(tc.psv, "Abc")[2].x;
  tc.font->Configure(Value("32.Arial"));
  double large = GRAQUERYTEXTBOX(tc.psv, "Abc")[2].x;
  EXPECT_NEAR(large / small, 2.0, 0.05);
}

// Every inked pixel's centre lies inside the text box (turned with the text) around the
// start point, give or take the one pixel that antialiasing may touch.
void expectInkInsideBox(double degrees, const char* text) {
  TextCanvas tc(200, 200);
  tc.angle(degrees);
  Point start{100, 100};
  auto box = GRAQUERYTEXTBOX(tc.psv, text);
  ASSERT_TRUE(GRASTRINGAT(tc.psv, start, text));
  double c = COS(DTOR(degrees)), s = SIN(DTOR(degrees));
  double a = std::hypot(box[0].x, box[0].y), e = std::hypot(box[1].x, box[1].y);
  double w = std::hypot(box[4].x, box[4].y);
  int inked = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      if (tc.device->pixel(x, y) == kWhite) continue;
      ++inked;
      // Into the text's own frame: u along the baseline, v up from it.
      double dx = x - start.x, dy = y - start.y;
      double u = dx * c + dy * s, v = -dx * s + dy * c;
      EXPECT_TRUE(u >= -1 && u <= w + 1 && v >= -e - 1 && v <= a + 1)
          << degrees << " deg: ink at " << x << "," << y << " (u " << u << ", v " << v << ")";
    }
  EXPECT_GT(inked, 50) << degrees;
}

TEST(Text, InkLiesInsideItsTextBox) {
  expectInkInsideBox(0, "Shadow Text");
  expectInkInsideBox(90, "Shadow Text");
  expectInkInsideBox(45, "Shadow Text");
  expectInkInsideBox(-24.5, "Colour 3");
}

TEST(Text, BaselineStartsAtThePointGiven) {
  TextCanvas tc(200, 100);
  // "H" at {20, 30}: its stem starts at the baseline, so the lowest ink row is 30 (or
  // the row the antialiased edge spills into) and the ink begins just right of x 20.
  GRASTRINGAT(tc.psv, Point{20, 30}, "H");
  int lowest = 1000, leftmost = 1000, highest = -1;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (tc.device->pixel(x, y) != kWhite) {
        lowest = std::min(lowest, y), highest = std::max(highest, y);
        leftmost = std::min(leftmost, x);
      }
  EXPECT_NEAR(lowest, 30, 1);
  EXPECT_GE(leftmost, 20);
  EXPECT_LE(leftmost, 24);
  EXPECT_NEAR(highest - lowest, 15, 2);  // cap height of a 21 px face
}

TEST(Text, IsDrawnInTheStringColourAndUtf8) {
  TextCanvas tc(200, 60);
  Value a = Value::arrayOf(12);
  a.at(1) = packRgb(255, 0, 0);
  tc.ps->setAttrString(a);
  ErrorRecorder errors;
  ASSERT_TRUE(GRASTRINGAT(tc.psv, Point{5, 20}, "Grün \xe2\x82\xac"));
  EXPECT_TRUE(GRASTRINGAT(tc.psv, Point{5, 40}, "bad \xff\xfe utf-8"));  // shown, not fatal
  EXPECT_TRUE(errors.errors.empty());
  int red = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x)
      if (tc.device->pixel(x, y) == test::argb(255, 0, 0)) ++red;
  EXPECT_GT(red, 20);
  EXPECT_GT(GRAQUERYTEXTBOX(tc.psv, "Grün")[2].x, GRAQUERYTEXTBOX(tc.psv, "Gru")[2].x);
}

TEST(Text, FarOffTextLeavesTheWindowAlone) {
  TextCanvas tc(60, 30);
  ErrorRecorder errors;
  for (Point far : {Point{1e12, 10}, Point{-3e9, -3e9}, Point{20, 1e300}})
    EXPECT_TRUE(GRASTRINGAT(tc.psv, far, "Far away"));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(tc.device->pixel(x, y), kWhite);
  EXPECT_TRUE(errors.errors.empty());
}

TEST(Text, WithoutAFontUsesTheDefaultFace) {
  Canvas cv(100, 40);
  auto box = GRAQUERYTEXTBOX(cv.psv, "Text");
  EXPECT_GT(box[2].x, 10);
  auto eight = QvpFont::New();
  eight->Create(Value("8.Arial"));
  cv.ps->setFont(Value(eight));
  EXPECT_DOUBLE_EQ(GRAQUERYTEXTBOX(cv.psv, "Text")[2].x, box[2].x);
}

}  // namespace
}  // namespace qv
