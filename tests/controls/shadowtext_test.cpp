#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "colour/attrs.h"
#include "controls/ShadowText.h"
#include "fixture.h"
#include "platform/draw/gra.h"
#include "trace.h"

namespace qv::test {
namespace {

using std::abs;

class ShadowTextTest : public ControlsTest {
 protected:
  std::shared_ptr<ShadowText> make(const std::string& caption, double angle, double depth,
                                   Value size = {}) {
    auto o = New<ShadowText>(da, nullptr, at(20, 20), size);
    o->Caption = caption;
    o->Angle = angle;
    o->ShadowDepth = depth;
    o->Create();
    o->setFontCompoundName("16.Arial");
    return o;
  }
  static std::vector<std::string> traced(ShadowText& o) {
    o.oPS->startTrace();
    o.Paint();
    return o.oPS->stopTrace();
  }
  // The caption's box in the control's font along `angle`, as the platform measures it.
  static std::array<Point, 5> boxAt(ShadowText& o, double angle) {
    Value attr = Value::arrayOf(12);
    attr.at(6) = Value::array({100 * std::cos(angle * M_PI / 180), 100 * std::sin(angle * M_PI / 180)});
    GRASETFONT(Value(o.oPS), Value(o.oFont));
    GRASETATTRSTRING(Value(o.oPS), attr);
    return GRAQUERYTEXTBOX(Value(o.oPS), o.Caption);
  }
};

TEST_F(ShadowTextTest, AutoSizeFollowsTheSizeArgument) {
  struct Case {
    const char* name;
    Value size;
    bool autoSize;
  };
  for (const Case& c : {Case{"NIL", Value(), true}, Case{"{}", Value::arrayOf(0), true},
                        Case{"{150, 150}", Value::array({150, 150}), false}}) {
    auto o = New<ShadowText>(da, nullptr, at(10, 10), c.size);
    EXPECT_EQ(o->AutoSize, c.autoSize) << c.name;
    o->Caption = "Sized";
    o->Create();
    if (c.autoSize) {
      EXPECT_LT(o->CurrentSize().w, 150);  // took the caption's size in 8.Arial
    } else {
      EXPECT_EQ(o->CurrentSize(), (Size{150, 150}));
    }
    o->Destroy();
  }
}

// The size and the start point of the caption for angles in both half-planes, checked
// against the box the platform measures.
TEST_F(ShadowTextTest, AutoSizeAndStartPointFollowTheTextBox) {
  for (double angle : {0.0, 90.0, 45.0, -30.0}) {
    for (double d : {3.0, -5.0}) {
      SCOPED_TRACE(testing::Message() << "angle " << angle << " depth " << d);
      auto o = make("Shadow Text", angle, d);
      const auto trace = traced(*o);
      const auto box = boxAt(*o, angle);
      const Point p1 = box[0], p2 = box[1], p3 = box[2], p4 = box[3];

      const double W = std::max({abs(p1.x), abs(p2.x), abs(p3.x), abs(p4.x)}) + abs(d) + 5;
      const double H = std::max({abs(p3.y), abs(p4.y) + abs(p1.y), abs(p1.y), abs(p2.y)}) + abs(d) + 5;
      EXPECT_NEAR(o->CurrentSize().w, W, 1e-9);
      EXPECT_NEAR(o->CurrentSize().h, H, 1e-9);

      Point start;
      if (angle >= 0) {
        start.x = (W - std::max({p1.x, p2.x, p3.x, p4.x}) - d - 5 + abs(p1.x - p2.x)) / 2;
        start.y = (H - std::max({p1.y, p2.y, p3.y, p4.y}) + d + 5) / 2;
      } else {
        start.x = (W - abs(p3.x) - abs(d) - 5 + abs(p1.x - p2.x)) / 2;
        start.y = (H + std::max(abs(p3.y) + abs(p1.y), abs(p4.y) + abs(p2.y)) - abs(d) + 5) / 2;
      }
      const auto strings = drawnStrings(trace);
      ASSERT_EQ(strings.size(), 2u);
      EXPECT_NEAR(strings[1].pos.x, start.x, 1e-3);
      EXPECT_NEAR(strings[1].pos.y, start.y, 1e-3);
      // The shadow lies at {+d, -d} from the caption.
      EXPECT_NEAR(strings[0].pos.x, start.x + d, 1e-3);
      EXPECT_NEAR(strings[0].pos.y, start.y - d, 1e-3);
      o->Destroy();
    }
  }
}

TEST_F(ShadowTextTest, HorizontalAndUprightCaptionsInClosedForm) {
  auto flat = make("Upright", 0, 3);
  auto s = drawnStrings(traced(*flat));  // sizes the control to the 16-point caption
  const auto box = boxAt(*flat, 0);
  const double a = box[0].y, e = -box[1].y, w = box[2].x;
  ASSERT_GT(a, e);
  EXPECT_NEAR(flat->CurrentSize().w, w + 3 + 5, 1e-9);
  EXPECT_NEAR(flat->CurrentSize().h, a + e + 3 + 5, 1e-9);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_NEAR(s[1].pos.x, 0, 1e-3);              // (W - w - d - 5) / 2
  EXPECT_NEAR(s[1].pos.y, (e + 3 + 3 + 10) / 2, 1e-3);  // (H - a + d + 5) / 2

  auto up = make("Upright", 90, 3);
  s = drawnStrings(traced(*up));
  EXPECT_NEAR(up->CurrentSize().w, a + 3 + 5, 1e-3);
  EXPECT_NEAR(up->CurrentSize().h, w + 3 + 5, 1e-3);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_NEAR(s[1].pos.x, a, 1e-3);
  EXPECT_NEAR(s[1].pos.y, 8, 1e-3);
}

TEST_F(ShadowTextTest, NegativeDepthGrowsLikeAPositiveOne) {
  auto none = make("Depth", 0, 0);
  auto neg = make("Depth", 0, -5.0);
  auto pos = make("Depth", 0, 5.0);
  EXPECT_NEAR(neg->CurrentSize().w, none->CurrentSize().w + 5, 1e-9);
  EXPECT_NEAR(neg->CurrentSize().h, none->CurrentSize().h + 5, 1e-9);
  EXPECT_EQ(neg->CurrentSize(), pos->CurrentSize());

  // Depth 0: the caption alone, nothing else.
  const auto trace = traced(*none);
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_EQ(drawnStrings(trace).at(0).colour, none->TextColor);
}

TEST_F(ShadowTextTest, ASizeThatAlreadyMatchesIsNotResized) {
  auto o = make("Steady", 0, 3);
  o->Paint();  // takes the size of the 16-point font
  dispatchPending();
  const Size before = o->CurrentSize();
  o->Paint();
  EXPECT_EQ(o->CurrentSize(), before);
  EXPECT_FALSE(eventsPending()) << "a resize queues repaints";
}

TEST_F(ShadowTextTest, ShadowColourIsTheReferenceTwentyPointsDarker) {
  struct Case {
    Rgb ref, shadow;
  };
  const Case cases[] = {
      {{255, 0, 0}, {204, 0, 0}},     {{0, 255, 0}, {0, 204, 0}},
      {{156, 100, 200}, {116, 74, 149}}, {{60, 130, 222}, {46, 100, 171}},
      {{128, 128, 128}, {77, 77, 77}},   {{10, 5, 5}, {0, 0, 0}},
      {{0, 0, 0}, {0, 0, 0}},           {{255, 255, 255}, {204, 204, 204}},
  };
  auto o = make("Shade", 0, 3);
  for (const Case& c : cases) {
    o->ShadowRefRGB = packed(c.ref);
    const auto s = drawnStrings(traced(*o));
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].colour, packed(c.shadow)) << c.ref;
  }
}

TEST_F(ShadowTextTest, ShadowFollowsTheParentsNewBackground) {
  auto o = make("Follow", 0, 4);
  o->setFontCompoundName("24.Arial Bold");
  dispatchPending();
  EXPECT_FALSE(pixelsOf(*o, {204, 204, 204}).empty());  // white, 20 points darker

  da->SetColorBG(rgbColour(255, 0, 0));
  dispatchPending();
  EXPECT_FALSE(pixelsOf(*o, {204, 0, 0}).empty());
  EXPECT_TRUE(pixelsOf(*o, {204, 204, 204}).empty());
}

// A colour code as reference says nothing about brightness: the shadow darkens the colour
// that shows behind the control, and the caption is drawn all the same.
TEST_F(ShadowTextTest, ReferenceThatIsNotAnRgbColourStillDraws) {
  da->SetColorBG(rgbColour(0, 255, 0));
  auto o = make("Code", 0, 3);
  for (double ref : {-255.0, 1.0, 3.0}) {
    o->ShadowRefRGB = ref;
    const auto s = drawnStrings(traced(*o));
    ASSERT_EQ(s.size(), 2u) << ref;
    EXPECT_EQ(s[0].colour, rgbColour(0, 204, 0)) << ref;
    EXPECT_EQ(s[1].colour, o->TextColor);
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(ShadowTextTest, ShadowSideFollowsTheSignOfTheDepth) {
  for (double d : {4.0, -4.0}) {
    auto o = New<ShadowText>(da, nullptr, at(40, 40));
    o->Caption = "HHHH";
    o->ShadowDepth = d;
    o->TextColor = rgbColour(0, 0, 255);
    o->Create();
    o->setFontCompoundName("24.Arial Bold");
    dispatchPending();
    const Point caption = centroid(pixelsOf(*o, {0, 0, 255}));
    const Point shadow = centroid(pixelsOf(*o, {204, 204, 204}));
    ASSERT_FALSE(pixelsOf(*o, {204, 204, 204}).empty());
    if (d > 0) {
      EXPECT_GT(shadow.x, caption.x + 1);  // right of
      EXPECT_LT(shadow.y, caption.y - 1);  // below (y grows upwards)
    } else {
      EXPECT_LT(shadow.x, caption.x - 1);
      EXPECT_GT(shadow.y, caption.y + 1);
    }
    o->Destroy();
  }
}

TEST_F(ShadowTextTest, SetCaptionRepaintsAtOnce) {
  auto o = make("Before", 0, 3);
  o->oPS->startTrace();
  EXPECT_TRUE(o->SetCaption("After"));
  const auto s = drawnStrings(o->oPS->stopTrace());
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[1].text, "After");
}

TEST_F(ShadowTextTest, FontCompoundNameReconfiguresTheSameFont) {
  auto o = New<ShadowText>(da, nullptr, at(10, 10));
  Value first = o->setFontCompoundName("16.Arial");  // before Create: no window yet
  ASSERT_TRUE(first.isObject());
  auto font = first.as<QvpFont>();
  EXPECT_EQ(font, o->oFont);

  o->Create();
  EXPECT_EQ(o->oFont, font) << "Create keeps a font set before it";
  ASSERT_TRUE(o->oPS);
  Value second = o->setFontCompoundName("24.Arial Bold");
  EXPECT_EQ(second.text(), "16.Arial");
  EXPECT_EQ(o->setFontCompoundName("8.Arial").text(), "24.Arial Bold");
  EXPECT_EQ(o->oFont, font);
  EXPECT_EQ(font->CompoundName(), "8.Arial");
}

TEST_F(ShadowTextTest, MalformedFontNameKeepsTheDefaultFont) {
  auto o = New<ShadowText>(da, nullptr, at(10, 10));
  EXPECT_TRUE(o->setFontCompoundName("Arial").isNil());
  EXPECT_FALSE(errors.empty());
  EXPECT_FALSE(o->oFont);
  o->Caption = "Default";
  o->Create();
  ASSERT_TRUE(o->oFont);
  EXPECT_EQ(o->oFont->CompoundName(), "8.Arial");
}

TEST_F(ShadowTextTest, SetFontSwapsWithoutRepainting) {
  auto o = make("Swap", 0, 3);
  auto previous = o->oFont;
  auto other = QvpFont::New(Value(o->oPS));
  ASSERT_TRUE(other->Create("24.Arial"));
  o->oPS->startTrace();
  EXPECT_EQ(o->SetFont(other), previous);
  EXPECT_TRUE(o->oPS->stopTrace().empty());
  EXPECT_EQ(o->oFont, other);
}

TEST_F(ShadowTextTest, DestroyIsSafeBeforeCreateAndTwice) {
  auto early = New<ShadowText>(da, nullptr, at(10, 10));
  early->Destroy();
  early->Paint();

  auto o = make("Gone", 0, 3);
  auto font = o->oFont;
  o->Destroy();
  EXPECT_FALSE(o->oFont);
  EXPECT_FALSE(o->oPS);
  EXPECT_TRUE(o->isDestroyed());
  o->Destroy();
  o->Paint();
  EXPECT_TRUE(o->SetCaption("still safe"));
}

}  // namespace
}  // namespace qv::test
