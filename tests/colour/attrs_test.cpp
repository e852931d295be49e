#include <gtest/gtest.h>

#include <functional>

#include "colour/attrs.h"
#include "platform/draw/font.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv {
namespace {

const double kRed = 16777471, kGreen = 16842496;

class AppWindow : public Object, public PresSpaceSource {
 public:
  QvpPresSpacePtr ps = QvpPresSpace::New();
  QvpPresSpacePtr presSpace() override { return ps; }
};

struct Errors {
  std::vector<ErrorPtr> seen;
  Value previous;
  Errors() {
    previous = ERRORBLOCK(Value::callback([this](std::vector<Value>& a) -> Value {
      seen.push_back(a.at(0).as<Error>());
      return false;
    }));
  }
  ~Errors() { ERRORBLOCK(previous); }
};

struct Helpers : ::testing::Test {
  std::shared_ptr<AppWindow> app = std::make_shared<AppWindow>();
  QvpPresSpacePtr own = QvpPresSpace::New();
  ObjectPtr before;
  void SetUp() override { before = SETAPPWINDOW(app); }
  void TearDown() override { SETAPPWINDOW(before); }
};

Value stringAttrs(double colour) {
  Value a = Value::arrayOf(12);
  a.at(1) = colour;
  return a;
}

double first(const Value& v) { return v.element(1).number(); }

TEST_F(Helpers, ArgumentCountPicksTheForm) {
  Value ps(own);
  auto font = QvpFont::New();
  font->Create(Value("16.Arial"));
  app->ps->setFont(Value(font));
  own->drawMode(2);
  // Each row: the call, then a check of its result and of the state it leaves. A
  // query form answers the current value and changes nothing; a setting form answers
  // the previous value.
  struct Case {
    const char* call;
    std::function<Value()> run;
    std::function<void(const Value&)> check;
  } cases[] = {
      {"GRASETCOLOR(ps)", [&] { return GRASETCOLOR(ps); },
       [&](const Value& r) {
         EXPECT_EQ(r.length(), 2u);
         EXPECT_EQ(first(own->setColor()), 1);
       }},
      {"GRASETCOLOR(ps, red)", [&] { return GRASETCOLOR(ps, kRed); },
       [&](const Value& r) {
         EXPECT_EQ(r.number(), 1);
         EXPECT_EQ(first(own->setColor()), kRed);
       }},
      {"GRASETCOLOR(ps, green, red)", [&] { return GRASETCOLOR(ps, kGreen, kRed); },
       [&](const Value& r) {
         EXPECT_EQ(r.number(), kRed);
         EXPECT_EQ(first(own->setColor()), kGreen);
         EXPECT_EQ(own->setColor().element(2).number(), kRed);
       }},
      {"GRASETCOLOR(ps, red, NIL)", [&] { return GRASETCOLOR(ps, kRed, Value()); },
       [&](const Value& r) {
         EXPECT_EQ(r.number(), kGreen);
         EXPECT_EQ(own->setColor().element(2).number(), kRed);  // NIL keeps the background
       }},
      {"GRASETATTRLINE(ps)", [&] { return GRASETATTRLINE(ps); },
       [&](const Value& r) {
         EXPECT_EQ(r.length(), 4u);
         EXPECT_EQ(first(own->setAttrLine()), 1);
       }},
      {"GRASETATTRLINE(ps, a)", [&] { return GRASETATTRLINE(ps, Value::array({kGreen})); },
       [&](const Value& r) {
         EXPECT_EQ(first(r), 1);
         EXPECT_EQ(first(own->setAttrLine()), kGreen);
       }},
      {"GRASETATTRAREA(NIL, a)", [&] { return GRASETATTRAREA(Value(), Value::array({kRed})); },
       [&](const Value& r) {
         EXPECT_EQ(r.length(), 5u);
         EXPECT_EQ(app->ps->areaColour(), kRed);
         EXPECT_EQ(first(own->setAttrArea()), 1);
       }},
      {"GRASETATTRMARKER(ps, a)", [&] { return GRASETATTRMARKER(ps, Value::array({kRed})); },
       [&](const Value&) { EXPECT_EQ(first(own->setAttrMarker()), kRed); }},
      {"GRASETATTRSTRING(ps, a)", [&] { return GRASETATTRSTRING(ps, stringAttrs(kGreen)); },
       [&](const Value& r) {
         EXPECT_EQ(r.length(), 12u);
         EXPECT_EQ(own->stringColour(), kGreen);
       }},
      {"GRASETFONT()", [&] { return GRASETFONT(); },
       [&](const Value& r) { EXPECT_EQ(r.as<QvpFont>(), font); }},
      {"GRASETFONT(ps, font)", [&] { return GRASETFONT(ps, Value(font)); },
       [&](const Value& r) {
         EXPECT_TRUE(r.isNil());
         EXPECT_EQ(own->currentFont(), font);
       }},
      {"GRASEGDRAWMODE(ps, 3)", [&] { return GRASEGDRAWMODE(ps, 3); },
       [&](const Value& r) {
         EXPECT_EQ(r.number(), 2);
         EXPECT_EQ(own->drawMode().number(), 3);
       }},
      {"GRASEGDRAWMODE(ps)", [&] { return GRASEGDRAWMODE(ps); },
       [&](const Value& r) { EXPECT_EQ(r.number(), 3); }},
      {"GRASEGDRAWMODE()", [&] { return GRASEGDRAWMODE(); },
       [&](const Value& r) { EXPECT_EQ(r.number(), 1); }},
      {"GRAERROR(ps) after a failure", [&] {
         own->setColor(Value("not a colour"));
         return GRAERROR(ps);
       },
       [&](const Value& r) { EXPECT_NE(r.number(), 0); }},
      {"GRAERROR()", [&] { return GRAERROR(); },
       [&](const Value& r) { EXPECT_EQ(r.number(), 0); }},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.call);
    Errors errors;
    Value got = c.run();
    c.check(got);
  }
}

TEST_F(Helpers, DefaultSpaceIsLookedUpOnEveryCall) {
  GRASETCOLOR(Value(), kRed);
  EXPECT_EQ(app->ps->setColor().element(1).number(), kRed);
  auto other = std::make_shared<AppWindow>();
  SETAPPWINDOW(other);
  GRASETCOLOR(Value(), kGreen);
  EXPECT_EQ(other->ps->setColor().element(1).number(), kGreen);
  EXPECT_EQ(app->ps->setColor().element(1).number(), kRed);
}

TEST_F(Helpers, WrongSpacesRaiseRuntimeErrors) {
  struct Case {
    const char* what;
    std::function<void()> setup;
    std::function<Value()> run;
    int genCode;
  } cases[] = {
      {"no application window", [] { SETAPPWINDOW(nullptr); }, [] { return GRASETCOLOR(); },
       gen::kGui},
      {"window without a space", [] { SETAPPWINDOW(std::make_shared<Object>()); },
       [] { return GRASETATTRAREA(Value(), Value::array({1})); }, gen::kGui},
      {"a number as space", [] {}, [] { return GRASETATTRLINE(Value(42), Value()); },
       gen::kNoMethod},
      {"a text as space", [] {}, [] { return GRAERROR(Value("ps")); }, gen::kNoMethod},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.setup();
    Errors errors;
    EXPECT_TRUE(c.run().isNil());
    ASSERT_EQ(errors.seen.size(), 1u);
    EXPECT_EQ(errors.seen[0]->genCode, c.genCode);
    SETAPPWINDOW(app);
  }
}

}  // namespace
}  // namespace qv
