#include <gtest/gtest.h>

#include "controls/ActiveText.h"
#include "fixture.h"
#include "trace.h"

namespace qv::test {
namespace {

// Counts its repaints and the flags each one saw; the most derived Paint is what the
// control's own repaints must reach.
class ProbeText : public ActiveText {
 public:
  int paints = 0;
  std::vector<std::pair<bool, bool>> flagsAtPaint;  // {IsDown, IsShadow}
  std::vector<std::string>* order = nullptr;
  std::string name;
  void Paint() override {
    ++paints;
    flagsAtPaint.push_back({IsDown, IsShadow});
    if (order) order->push_back(name);
    ActiveText::Paint();
  }
};

class ActiveTextTest : public ControlsTest {
 protected:
  std::shared_ptr<ProbeText> make(const std::string& name = "A") {
    auto o = New<ProbeText>(da, nullptr, at(50, 50), Value::array({60, 30}));
    o->Caption = name;
    o->name = name;
    o->order = &order;
    o->TextColor = normalColour;
    o->Activate = Value::callback([this](std::vector<Value>& args) -> Value {
      ++activations;
      if (args.size() == 3) activatedWith = args[2].object();
      return {};
    });
    o->Create();
    return o;
  }
  const double normalColour = rgbColour(10, 20, 30);
  std::vector<std::string> order;
  int activations = 0;
  ObjectPtr activatedWith;
};

TEST_F(ActiveTextTest, CreateFillsOnlyTheColoursStillNil) {
  auto fresh = New<ActiveText>(da, nullptr, at(5, 5));
  EXPECT_EQ(fresh->TextColor, rgbColour(0, 0, 0));
  EXPECT_EQ(fresh->ShadowDepth, 0);
  fresh->HoverColorFG = rgbColour(1, 2, 3);
  fresh->Create();
  EXPECT_EQ(fresh->HoverColorFG, rgbColour(1, 2, 3));
  EXPECT_EQ(fresh->ActivateColorFG, 3);
  EXPECT_EQ(fresh->ColorFG, rgbColour(0, 0, 0));

  // A TextColor set after Create does not become the normal colour.
  fresh->TextColor = rgbColour(200, 0, 0);
  fresh->Motion(at(-1, -1));
  EXPECT_EQ(fresh->TextColor, rgbColour(0, 0, 0));
}

enum class Start { Normal, Hover, Pressed, PressedFromHover };
enum class Ev { In, Out, Column0, Row0, LastInside, Down, Up, SetOffDirect };
enum class Look { Normal, Hover, Pressed };

struct Row {
  Start start;
  Ev event;
  bool isDown, isShadow;
  Look colour;
  double depth;
  bool captured;
  int repaints;
  std::pair<bool, bool> flagsAtRepaint;  // read only when repaints == 1
  bool parentInvalidated;
  bool activated;
};

TEST_F(ActiveTextTest, StateTable) {
  using S = Start;
  using E = Ev;
  using L = Look;
  const bool T = true, F = false;
  const Row rows[] = {
      {S::Normal, E::In, F, T, L::Hover, 5, T, 1, {F, T}, T, F},
      {S::Normal, E::Out, F, F, L::Normal, 0, F, 1, {F, F}, T, F},
      {S::Normal, E::Column0, F, F, L::Normal, 0, F, 1, {F, F}, T, F},
      {S::Normal, E::Row0, F, F, L::Normal, 0, F, 1, {F, F}, T, F},
      {S::Normal, E::LastInside, F, T, L::Hover, 5, T, 1, {F, T}, T, F},
      {S::Hover, E::In, F, T, L::Hover, 5, T, 0, {}, F, F},
      {S::Hover, E::Out, F, F, L::Normal, 0, F, 1, {F, F}, T, F},
      {S::Normal, E::Down, T, F, L::Pressed, 0, F, 1, {T, F}, F, F},
      {S::Hover, E::Down, T, F, L::Pressed, 0, T, 1, {T, F}, F, F},
      {S::PressedFromHover, E::Down, T, F, L::Pressed, 0, T, 1, {T, F}, F, F},
      {S::PressedFromHover, E::In, T, F, L::Pressed, 0, T, 0, {}, F, F},
      {S::PressedFromHover, E::Out, F, F, L::Normal, 0, F, 1, {F, F}, F, F},
      {S::PressedFromHover, E::Up, F, F, L::Hover, 5, F, 1, {T, F}, F, T},
      {S::Pressed, E::Up, F, F, L::Hover, 5, F, 1, {T, F}, F, T},
      {S::Normal, E::Up, F, F, L::Normal, 0, F, 0, {}, F, F},
      {S::Hover, E::Up, F, T, L::Hover, 5, F, 0, {}, F, F},
      {S::Hover, E::SetOffDirect, F, F, L::Normal, 0, F, 1, {F, T}, F, F},
      {S::PressedFromHover, E::SetOffDirect, T, F, L::Pressed, 0, T, 0, {}, F, F},
      {S::Normal, E::SetOffDirect, F, F, L::Normal, 0, F, 0, {}, F, F},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << ++n);
    auto o = make();
    const Size s = o->CurrentSize();
    if (row.start == S::Hover || row.start == S::PressedFromHover) o->Motion(at(5, 5));
    if (row.start == S::Pressed || row.start == S::PressedFromHover) o->lbDown(at(5, 5));
    dispatchPending();
    o->paints = 0;
    o->flagsAtPaint.clear();
    activations = 0;
    activatedWith.reset();

    switch (row.event) {
      case E::In: o->Motion(at(5, 5)); break;
      case E::Out: o->Motion(at(s.w + 3, 5)); break;
      case E::Column0: o->Motion(at(0, 5)); break;
      case E::Row0: o->Motion(at(5, 0)); break;
      case E::LastInside: o->Motion(at(s.w - 1, s.h - 1)); break;
      case E::Down: o->lbDown(at(5, 5)); break;
      case E::Up: o->lbUp(at(5, 5)); break;
      case E::SetOffDirect: o->SetOff(true); break;
    }

    EXPECT_EQ(o->isDown(), row.isDown);
    EXPECT_EQ(o->IsShadow, row.isShadow);
    const double colour = row.colour == L::Normal  ? normalColour
                          : row.colour == L::Hover ? colour_code::kHover
                                                   : colour_code::kActivated;
    EXPECT_EQ(o->TextColor, colour);
    EXPECT_EQ(o->ShadowDepth, row.depth);
    EXPECT_EQ(o->hasCapture(), row.captured);
    EXPECT_EQ(o->paints, row.repaints);
    if (row.repaints == 1 && o->flagsAtPaint.size() == 1) {
      EXPECT_EQ(o->flagsAtPaint[0], row.flagsAtRepaint);
    }
    EXPECT_EQ(eventsPending(), row.parentInvalidated);
    EXPECT_EQ(activations, row.activated ? 1 : 0);
    if (row.activated) {
      EXPECT_EQ(activatedWith, o);
    }
    o->Destroy();
    dispatchPending();
  }
}

TEST_F(ActiveTextTest, CancelledPressDoesNotActivateEvenAfterReentering) {
  auto o = make();
  o->Motion(at(5, 5));
  o->lbDown(at(5, 5));
  o->Motion(at(100, 5));  // leaving cancels
  EXPECT_EQ(o->TextColor, normalColour);
  o->Motion(at(5, 5));    // re-entering gives the hover state, not the press
  EXPECT_TRUE(o->IsShadow);
  EXPECT_FALSE(o->isDown());
  o->lbUp(at(5, 5));
  EXPECT_EQ(activations, 0);
  EXPECT_TRUE(o->IsShadow);
  EXPECT_FALSE(o->hasCapture());
}

TEST_F(ActiveTextTest, ActivateRunsLastWithTheStateSettledAndMayDestroyTheControl) {
  auto o = New<ActiveText>(da, nullptr, at(50, 50), Value::array({60, 30}));
  o->Caption = "Bye";
  ActiveText* raw = o.get();
  bool ran = false;
  o->Activate = Value::callback([&](std::vector<Value>& args) -> Value {
    ran = true;
    auto self = args.at(2).as<ActiveText>();
    EXPECT_EQ(self.get(), raw);
    EXPECT_TRUE(args.at(0).isNil());
    EXPECT_TRUE(args.at(1).isNil());
    EXPECT_FALSE(self->isDown());
    EXPECT_FALSE(self->IsShadow);
    EXPECT_FALSE(self->hasCapture());
    self->Destroy();
    return {};
  });
  o->Create();
  std::weak_ptr<ActiveText> weak = o;
  o->Motion(at(5, 5));
  o->lbDown(at(5, 5));
  o.reset();  // only the window tree holds it now
  raw->lbUp(at(5, 5));
  EXPECT_TRUE(ran);
  dispatchPending();
  if (auto still = weak.lock()) {
    EXPECT_TRUE(still->isDestroyed());
  }
}

TEST_F(ActiveTextTest, FocusLossRunsTheChainNewestFirst) {
  bool userHookRan = false;
  dlg->killInputFocus = Value::callback([&](std::vector<Value>&) -> Value {
    userHookRan = true;
    return {};
  });
  auto a = make("A");
  auto b = make("B");
  a->Motion(at(5, 5));
  b->Motion(at(5, 5));
  ASSERT_TRUE(a->IsShadow && b->IsShadow);
  order.clear();

  dlg->handleEvent(event::kKillFocus, {}, {});
  EXPECT_EQ(order, (std::vector<std::string>{"B", "A"}));
  EXPECT_FALSE(a->IsShadow);
  EXPECT_FALSE(b->IsShadow);
  EXPECT_TRUE(userHookRan) << "the hook set before the controls ends the chain";
}

TEST_F(ActiveTextTest, FocusLossStopsAtAControlThatIsNotInHover) {
  auto a = make("A");
  auto b = make("B");
  a->Motion(at(5, 5));
  order.clear();
  dlg->handleEvent(event::kKillFocus, {}, {});
  EXPECT_TRUE(order.empty());
  EXPECT_TRUE(a->IsShadow);
}

TEST_F(ActiveTextTest, DirectSetOffDoesNotPassTheNotificationOn) {
  auto a = make("A");
  auto b = make("B");
  a->Motion(at(5, 5));
  b->Motion(at(5, 5));
  order.clear();
  b->SetOff(true);
  EXPECT_EQ(order, (std::vector<std::string>{"B"}));
  EXPECT_TRUE(a->IsShadow);
}

// A destroyed control leaves the chain: a later focus loss neither draws on it nor fails,
// and the controls hooked before it are still reached.
TEST_F(ActiveTextTest, DestroyedControlLeavesTheFocusLossChain) {
  bool userHookRan = false;
  dlg->killInputFocus = Value::callback([&](std::vector<Value>&) -> Value {
    userHookRan = true;
    return {};
  });
  auto a = make("A");
  auto b = make("B");
  auto c = make("C");

  // The newest one goes: the dialog's hook is handed back to B.
  c->Motion(at(5, 5));
  c->Destroy();
  // One in the middle goes: C's predecessor in the chain forwards past it.
  a->Motion(at(5, 5));
  b->Motion(at(5, 5));
  a->Destroy();
  order.clear();
  errors.clear();

  dlg->handleEvent(event::kKillFocus, {}, {});
  EXPECT_EQ(order, (std::vector<std::string>{"B"}));
  EXPECT_FALSE(b->IsShadow);
  EXPECT_TRUE(userHookRan);
  EXPECT_TRUE(errors.empty());
}

TEST_F(ActiveTextTest, LeavingErasesTheOldShadow) {
  auto o = New<ActiveText>(da, nullptr, at(40, 40));
  o->Caption = "HHH";
  o->TextColor = rgbColour(0, 0, 255);
  o->HoverColorFG = rgbColour(0, 0, 255);
  o->Create();
  o->setFontCompoundName("24.Arial Bold");
  dispatchPending();
  const Rgb shadow{204, 204, 204};  // white background, 20 points darker
  EXPECT_TRUE(pixelsOf(*o, shadow).empty());

  o->Motion(at(5, 5));
  dispatchPending();
  EXPECT_FALSE(pixelsOf(*o, shadow).empty());

  o->Motion(at(-3, 5));
  dispatchPending();
  EXPECT_TRUE(pixelsOf(*o, shadow).empty());
  EXPECT_FALSE(pixelsOf(*o, {0, 0, 255}).empty());
}

TEST_F(ActiveTextTest, RefusedCaptureIsAskedForAtMost5001Times) {
  auto o = make();
  headless->setCaptureFails(true);
  headless->resetCaptureAttempts();
  o->Motion(at(5, 5));
  EXPECT_EQ(headless->captureAttempts(), 5001);
  EXPECT_TRUE(o->IsShadow) << "the hover state is entered without the capture";
  EXPECT_FALSE(o->hasCapture());
  EXPECT_EQ(o->TextColor, colour_code::kHover);
  o->Motion(at(6, 6));
  EXPECT_EQ(headless->captureAttempts(), 5001) << "no new attempts while in hover";
  o->Motion(at(0, 6));  // leaving is still noticed on column 0
  EXPECT_FALSE(o->IsShadow);
}

TEST_F(ActiveTextTest, ControlWithoutADialogReportsItAndStaysUsable) {
  auto loose = New<QvpStatic>(nullptr, nullptr, at(0, 0), Value::array({100, 100}));
  auto o = New<ActiveText>(loose, nullptr, at(5, 5), Value::array({50, 20}));
  o->Caption = "Loose";
  o->Create();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("dialog"), std::string::npos) << errors[0];
  EXPECT_FALSE(o->parentDlg());
  o->Motion(at(5, 5));
  o->lbDown(at(5, 5));
  o->lbUp(at(5, 5));
  o->Motion(at(5, 5));
  o->SetOff();
  EXPECT_FALSE(o->IsShadow);
  o->Destroy();
}

// The whole path: synthetic input through the window layer reaches the handlers.
TEST_F(ActiveTextTest, ClickThroughTheWindowLayer) {
  auto o = make();
  headless->motionAt(*o, Point{10, 10});
  dispatchPending();
  EXPECT_TRUE(o->IsShadow);
  EXPECT_TRUE(o->hasCapture());
  headless->lbDownAt(*o, Point{10, 10});
  dispatchPending();
  EXPECT_TRUE(o->isDown());
  headless->lbUpAt(*o, Point{10, 10});
  dispatchPending();
  EXPECT_EQ(activations, 1);
  EXPECT_FALSE(o->hasCapture());
  // Captured or not, motion outside ends the hover look.
  headless->motionAt(*o, Point{10, 10});
  headless->motionAt(*o, Point{200, 10});
  dispatchPending();
  EXPECT_FALSE(o->IsShadow);
  EXPECT_EQ(o->TextColor, normalColour);
}

TEST_F(ActiveTextTest, ClassObjectsFollowTheClassChain) {
  const ControlClass& cls = ActiveText::INITCLASS();
  EXPECT_EQ(cls.name, "ActiveText");
  EXPECT_TRUE(cls.IsDerivedFrom("shadowtext"));
  EXPECT_FALSE(cls.IsDerivedFrom("ShadowButton"));
  EXPECT_EQ(&ActiveText::INITCLASS(), &cls);
  auto o = make();
  EXPECT_TRUE(o->IsDerivedFrom("QvpStatic"));
  EXPECT_TRUE(o->IsDerivedFrom("activetext"));
}

}  // namespace
}  // namespace qv::test
