// The presentation space's attributes, colour codes and trace.
#include <gtest/gtest.h>

#include "platform/draw/font.h"
#include "platform/draw/gra.h"
#include "test_device.h"

namespace qv {
namespace {

using test::argb;
using test::Canvas;
using test::ErrorRecorder;

const double kRed = packRgb(255, 0, 0);
const double kGreen = packRgb(0, 255, 0);

TEST(PresSpace, SettersReturnThePreviousValueAndQueriesChangeNothing) {
  auto ps = QvpPresSpace::New();
  Value first = ps->setColor(kRed);
  EXPECT_EQ(first.number(), colour_code::kForeground);
  EXPECT_EQ(ps->setColor(kGreen).number(), kRed);
  Value both = ps->setColor();
  EXPECT_EQ(both.element(1).number(), kGreen);
  EXPECT_EQ(ps->setColor().element(1).number(), kGreen);

  EXPECT_EQ(ps->drawMode(2).number(), 1);
  EXPECT_EQ(ps->drawMode().number(), 2);
  EXPECT_EQ(ps->lastError().number(), 0);
}

TEST(PresSpace, NilElementsKeepTheCurrentAttribute) {
  auto ps = QvpPresSpace::New();
  Value attrs = Value::arrayOf(12);
  attrs.at(1) = kRed;
  attrs.at(6) = Value::array({0, 100});
  Value before = ps->setAttrString(attrs);
  EXPECT_EQ(before.length(), 12u);
  EXPECT_EQ(before.element(6).element(1).number(), 1);  // default baseline {1, 0}

  Value onlyColour = Value::arrayOf(12);
  onlyColour.at(1) = kGreen;
  Value previous = ps->setAttrString(onlyColour);
  EXPECT_EQ(previous.element(1).number(), kRed);
  EXPECT_EQ(ps->baseline(), (Point{0, 100}));  // element 6 NIL: kept
  EXPECT_EQ(ps->stringColour(), kGreen);

  // The array handed out is a copy: changing it changes nothing.
  Value now = ps->setAttrString();
  now.at(6).at(1) = 55;
  now.at(1) = kRed;
  EXPECT_EQ(ps->baseline(), (Point{0, 100}));
  EXPECT_EQ(ps->stringColour(), kGreen);

  // So is the caller's baseline: the space keeps its own.
  attrs.at(6).at(2) = -7;
  ps->setAttrString(attrs);
  attrs.at(6).at(2) = 99;
  EXPECT_EQ(ps->baseline(), (Point{0, -7}));
}

TEST(PresSpace, AttributeArraysHaveTheirLengths) {
  auto ps = QvpPresSpace::New();
  EXPECT_EQ(ps->setAttrLine().length(), 4u);
  EXPECT_EQ(ps->setAttrArea().length(), 5u);
  EXPECT_EQ(ps->setAttrMarker().length(), 5u);
  EXPECT_EQ(ps->setAttrString().length(), 12u);
}

TEST(PresSpace, WrongValuesRaiseErrorsAndKeepTheAttributes) {
  auto ps = QvpPresSpace::New();
  ErrorRecorder errors;
  ps->setAttrArea(Value::array({kRed}));
  struct Case {
    const char* what;
    std::function<void()> call;
  } cases[] = {
      {"colour text", [&] { ps->setColor(Value("red")); }},
      {"area not an array", [&] { ps->setAttrArea(Value(5)); }},
      {"area colour text", [&] { ps->setAttrArea(Value::array({"blue"})); }},
      {"baseline not a pair",
       [&] {
         Value a = Value::arrayOf(12);
         a.at(6) = 3;
         ps->setAttrString(a);
       }},
      {"font not a font", [&] { ps->setFont(Value(3)); }},
      {"device not a device", [&] { ps->Create(Value("screen")); }},
  };
  for (const Case& c : cases) {
    std::size_t n = errors.errors.size();
    c.call();
    EXPECT_EQ(errors.errors.size(), n + 1) << c.what;
    EXPECT_NE(ps->lastError().number(), 0) << c.what;
  }
  EXPECT_EQ(ps->areaColour(), kRed);
  EXPECT_EQ(ps->baseline(), (Point{1, 0}));
  EXPECT_FALSE(ps->isCreated());
  ps->setColor(kGreen);
  EXPECT_EQ(ps->lastError().number(), 0);
}

TEST(PresSpace, FontIsSetAndReturned) {
  auto ps = QvpPresSpace::New();
  auto font = QvpFont::New(Value(ps));
  ASSERT_TRUE(font->Create(Value("16.Arial")));
  EXPECT_TRUE(ps->setFont(Value(font)).isNil());
  EXPECT_EQ(ps->setFont().as<QvpFont>(), font);
  EXPECT_EQ(ps->currentFont(), font);
}

TEST(PresSpace, TraceRecordsEachPrimitiveInItsFormat) {
  Canvas cv(50, 50);
  auto font = QvpFont::New(cv.psv);
  font->Create(Value("16.Arial"));
  cv.ps->setFont(Value(font));
  cv.ps->startTrace();
  cv.ps->setColor(kRed);
  cv.ps->setColor(kGreen, kRed);
  cv.ps->setColor();  // a query: not recorded
  GRALINE(cv.psv, Point{0.5, 1}, Point{2, 3});
  GRAARC(cv.psv, Point{10, 10}, 4, Value(), 45, 90);
  GRABOX(cv.psv, Point{1, 2}, Point{30, 20}, 3, 4, 4);
  Value attrs = Value::arrayOf(12);
  attrs.at(1) = kRed;
  attrs.at(6) = Value::array({100 * COS(DTOR(45)), 100 * SIN(DTOR(45))});
  cv.ps->setAttrString(attrs);
  GRASTRINGAT(cv.psv, Point{3, 4}, "Say \"hi\"");
  auto trace = cv.ps->stopTrace();
  std::vector<std::string> expected = {
      "color 16777471",
      "color 16842496 16777471",
      "line {0.5,1} {2,3} 16842496",
      "arc {10,10} 4 45 90 16842496",
      "box {1,2} {30,20} 3 4 4 16842496 16842496",
      "string {3,4} \"Say \\\"hi\\\"\" 16777471 {70.7107,70.7107}",
  };
  EXPECT_EQ(trace, expected);
  EXPECT_FALSE(cv.ps->tracing());
  GRALINE(cv.psv, Point{0, 0}, Point{1, 1});
  EXPECT_TRUE(cv.ps->stopTrace().empty());
}

TEST(PresSpace, TraceNumbers) {
  struct Case {
    double n;
    const char* text;
  } cases[] = {{0, "0"}, {-0.0, "0"}, {16777471, "16777471"}, {-255, "-255"},
               {0.1, "0.1"}, {2.0 / 3, "0.666667"}, {1e20, "1e+20"}};
  for (const Case& c : cases) EXPECT_EQ(traceNumber(c.n), c.text) << c.n;
}

TEST(PresSpace, DestroyedOrUnboundSpaceDrawsNothing) {
  Canvas cv(10, 10);
  ErrorRecorder errors;
  cv.ps->Destroy();
  EXPECT_FALSE(cv.ps->isCreated());
  EXPECT_FALSE(GRALINE(cv.psv, Point{1, 1}, Point{5, 5}));
  EXPECT_EQ(errors.errors.size(), 1u);
  EXPECT_EQ(cv.ps->beginDrawing(), nullptr);
}

// ---- colour codes ------------------------------------------------------------------------

double luminance(const Rgba& c) {
  auto lin = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}
double contrast(const Rgba& a, const Rgba& b) {
  double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
Rgba unit(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }

TEST(ColourCodes, ActiveCaptionCodesStayReadableOnEveryDemoBackground) {
  const int table[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 0, 255},
                           {255, 255, 0}, {0, 255, 255}, {156, 100, 200}, {60, 130, 222}};
  struct Code {
    double code;
    Rgba dark, light;
  } codes[] = {{colour_code::kHover, unit(0, 0, 128), unit(255, 255, 255)},
               {colour_code::kActivated, unit(128, 0, 0), unit(255, 255, 0)}};
  for (const auto& t : table) {
    double back = packRgb(t[0], t[1], t[2]);
    Rgba backdrop = unit(t[0], t[1], t[2]);
    for (const Code& c : codes) {
      Rgba got = resolveColour(c.code, back);
      ASSERT_TRUE(got == c.dark || got == c.light) << c.code;
      Rgba other = got == c.dark ? c.light : c.dark;
      EXPECT_GE(contrast(got, backdrop), contrast(other, backdrop)) << c.code << " on " << t[0]
                                                                    << "," << t[1] << "," << t[2];
      EXPECT_GE(contrast(got, backdrop), 3.0) << c.code << " on " << t[0] << "," << t[1] << ","
                                              << t[2];
      // Never the plain black of code 1.
      EXPECT_FALSE(got == resolveColour(colour_code::kForeground, back));
    }
  }
}

TEST(ColourCodes, FixedMeaningsAndFallback) {
  double back = packRgb(10, 20, 30);
  EXPECT_EQ(resolveColour(colour_code::kForeground, back), (Rgba{0, 0, 0, 1}));
  EXPECT_EQ(resolveColour(colour_code::kNone, back).a, 0);
  EXPECT_EQ(resolveColour(packRgb(255, 0, 128), back), unit(255, 0, 128));
  for (double unknown : {2.0, 7.0, -1.0, 16777215.0, std::nan("")})
    EXPECT_EQ(resolveColour(unknown, back), (Rgba{0, 0, 0, 1})) << unknown;
}

TEST(ColourCodes, CodesAreDrawnAgainstTheWindowsBackdrop) {
  Canvas cv(10, 10);
  cv.device->clear(0xff808080);
  cv.device->setBackdrop(packRgb(0, 0, 255));  // blue: the hover code turns white
  cv.ps->setColor(colour_code::kHover);
  GRALINE(cv.psv, Point{1, 1}, Point{1, 1});
  cv.device->setBackdrop(packRgb(255, 255, 0));  // yellow: navy
  GRALINE(cv.psv, Point{2, 2}, Point{2, 2});
  cv.ps->setColor(99);  // unknown: black
  GRALINE(cv.psv, Point{3, 3}, Point{3, 3});
  EXPECT_EQ(cv.device->pixel(1, 1), argb(255, 255, 255));
  EXPECT_EQ(cv.device->pixel(2, 2), argb(0, 0, 128));
  EXPECT_EQ(cv.device->pixel(3, 3), argb(0, 0, 0));
}

}  // namespace
}  // namespace qv
