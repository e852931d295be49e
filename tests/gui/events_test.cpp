// The event queue: routing of mouse input, capture, ordering and coalescing, focus and
// close events, and the protected dispatch.
#include "gui_fixture.h"

namespace qv::testing {
namespace {

// A dialog 200 x 100 with a probe at {20, 10} of size {50, 30}: device rows run from 60
// (its top) to 89 (its bottom), columns from 20 to 69.
class RoutingTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dlg = makeDialog(200, 100);
    da = dlg->DrawingArea();
    p = makeProbe(da, "p", 20, 10, 50, 30);
    dispatchPending();
    log.clear();
  }
  std::vector<Call> mouseCalls() {
    std::vector<Call> out;
    for (auto& c : log)
      if (c.what != "Paint") out.push_back(c);
    return out;
  }
  std::shared_ptr<QvpDialog> dlg;
  std::shared_ptr<QvpDrawingArea> da;
  ProbePtr p;
};

TEST_F(RoutingTest, ADevicePixelBecomesALocalYUpPoint) {
  struct Case {
    int col, row;
    double x, y;
  } cases[] = {
      {20, 89, 0, 0},    // lower-left pixel
      {69, 60, 49, 29},  // upper-right pixel
      {20, 60, 0, 29},
      {45, 75, 25, 14},
  };
  for (const auto& c : cases) {
    log.clear();
    hb->buttonDown(*dlg, c.col, c.row);
    hb->buttonUp(*dlg, c.col, c.row);
    dispatchPending();
    auto calls = mouseCalls();
    ASSERT_EQ(calls.size(), 2u) << c.col << "," << c.row;
    EXPECT_EQ(calls[0].window, "p");
    EXPECT_EQ(calls[0].what, "lbDown");
    EXPECT_EQ(calls[0].x, c.x);
    EXPECT_EQ(calls[0].y, c.y);
    EXPECT_EQ(calls[1].what, "lbUp");
  }
  // Just outside it goes to the drawing area, in the drawing area's own coordinates.
  Value mp1, mp2;
  ObjectPtr target;
  hb->motion(*dlg, 19, 89);
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kMotion);
  EXPECT_EQ(target, da);
  EXPECT_EQ(mp1.element(1).number(), 19);
  EXPECT_EQ(mp1.element(2).number(), 10);
}

TEST_F(RoutingTest, OtherButtonsAreNotTheLeftButton) {
  hb->buttonDown(*dlg, 30, 70, 3);
  hb->buttonUp(*dlg, 30, 70, 3);
  dispatchPending();
  EXPECT_TRUE(mouseCalls().empty());
}

TEST_F(RoutingTest, TheCaptureHolderGetsInputFromOutsideInItsOwnCoordinates) {
  p->captureOnDown = true;
  p->releaseOnUp = true;
  hb->buttonDown(*dlg, 30, 70);
  hb->motion(*dlg, 5, 95);     // left of and below the probe
  hb->motion(*dlg, 150, 20);   // right of and above it
  hb->buttonUp(*dlg, 150, 20);
  hb->motion(*dlg, 150, 20);   // released: the drawing area's again
  dispatchPending();
  auto calls = mouseCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[1].window, "p");
  EXPECT_EQ(calls[1].x, -15);
  EXPECT_EQ(calls[1].y, -6);
  EXPECT_EQ(calls[2].x, 130);
  EXPECT_EQ(calls[2].y, 69);
  EXPECT_EQ(calls[3].what, "lbUp");
  EXPECT_EQ(calls[3].window, "p");
  EXPECT_FALSE(p->hasCapture());
  EXPECT_EQ(hb->captureAttempts(), 1);
}

TEST_F(RoutingTest, AWindowPressedWithoutTheCaptureKeepsThePointerUntilTheRelease) {
  hb->buttonDown(*dlg, 30, 70);
  hb->motion(*dlg, 150, 20);   // dragged off the probe, which holds no capture
  hb->buttonUp(*dlg, 150, 20);
  hb->motion(*dlg, 150, 20);   // the button is up: the drawing area's again, not logged
  dispatchPending();
  auto calls = mouseCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].what, "lbDown");
  EXPECT_EQ(calls[1].what, "Motion");
  EXPECT_EQ(calls[1].window, "p");
  EXPECT_EQ(calls[1].x, 130);
  EXPECT_EQ(calls[2].what, "lbUp");
  EXPECT_EQ(calls[2].window, "p");
  EXPECT_FALSE(p->hasCapture());
}

TEST_F(RoutingTest, AFailedCaptureSaysSoAndRoutesNormally) {
  hb->setCaptureFails(true);
  EXPECT_FALSE(p->CaptureMouse(true));
  EXPECT_FALSE(p->hasCapture());
  EXPECT_EQ(hb->captureAttempts(), 1);
  hb->motion(*dlg, 5, 95);
  dispatchPending();
  EXPECT_TRUE(mouseCalls().empty()) << "the probe did not get the capture";

  hb->setCaptureFails(false);
  EXPECT_TRUE(p->CaptureMouse(true));
  EXPECT_FALSE(p->CaptureMouse(false)) << "a release answers false: no longer captured";
  EXPECT_FALSE(p->CaptureMouse(false)) << "releasing again is harmless";
  EXPECT_EQ(hb->captureAttempts(), 2) << "releases are not attempts";
}

TEST_F(RoutingTest, ADestroyedHolderLosesTheCapture) {
  ASSERT_TRUE(p->CaptureMouse(true));
  p->Destroy();
  hb->motion(*dlg, 5, 95);
  Value mp1, mp2;
  ObjectPtr target;
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kMotion);
  EXPECT_EQ(target, da);
}

TEST_F(RoutingTest, InputComesBeforeRepaintsAndRepaintsCoalesce) {
  da->SetColorBG(rgb(1, 2, 3));
  p->InvalidateRect();
  da->InvalidateRect();
  da->SetColorBG(rgb(4, 5, 6));
  hb->motion(*dlg, 30, 70);
  postEvent(event::kLbDown, Value::array({1, 1}), Value(), p);
  auto taken = drain();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].code, event::kMotion);
  EXPECT_EQ(taken[1].code, event::kLbDown);
  EXPECT_EQ(taken[2].code, event::kPaint);
  EXPECT_EQ(taken[2].target, da.get()) << "repaints in the order first asked for";
  EXPECT_EQ(taken[3].code, event::kPaint);
  EXPECT_EQ(taken[3].target, p.get());
}

TEST_F(RoutingTest, ABreakInAHandlerAbandonsThatEventOnly) {
  p->breakInLbDown = true;
  hb->buttonDown(*dlg, 30, 70);
  hb->buttonUp(*dlg, 30, 70);
  dispatchPending();
  auto calls = mouseCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].what, "lbDown");
  EXPECT_EQ(calls[1].what, "lbUp");
  EXPECT_EQ(protectedDepth(), 0);
}

TEST_F(GuiTest, LosingTheFocusCallsKillInputFocusWithTheDialog) {
  auto dlg = makeDialog();
  auto other = makeDialog();
  std::vector<std::vector<Value>> calls;
  dlg->killInputFocus = Value::callback([&](std::vector<Value>& args) {
    calls.push_back(args);
    return Value();
  });

  EXPECT_EQ(SETAPPFOCUS(dlg), nullptr);
  EXPECT_EQ(focusedWindow(), dlg);
  EXPECT_EQ(SETAPPFOCUS(other), dlg) << "answers the previous holder";
  dispatchPending();
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].size(), 3u);
  EXPECT_TRUE(calls[0][0].isNil());
  EXPECT_TRUE(calls[0][1].isNil());
  EXPECT_EQ(calls[0][2].object(), dlg);

  // The system reporting the loss once more (the focus is elsewhere already) adds nothing.
  hb->focusLost(*dlg);
  EXPECT_TRUE(drain().empty());

  // The system taking the focus away from the holder is a focus loss like the other.
  SETAPPFOCUS(dlg);
  dispatchPending();
  hb->focusLost(*dlg);
  Value mp1, mp2;
  ObjectPtr target;
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kKillFocus);
  EXPECT_EQ(target, dlg);
  dlg->handleEvent(event::kKillFocus, mp1, mp2);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(GuiTest, ACloseRequestGoesToItsOwnDialog) {
  auto first = makeDialog();
  auto second = makeDialog();
  int closes = 0;
  second->close = Value::callback([&](std::vector<Value>& args) {
    ++closes;
    EXPECT_EQ(args.at(2).object(), second);
    return Value();
  });
  dispatchPending();
  hb->close(*second);
  Value mp1, mp2;
  ObjectPtr target;
  ASSERT_EQ(APPEVENT(mp1, mp2, target), event::kClose);
  EXPECT_EQ(event::kClose, 1048632);
  EXPECT_EQ(target, second);
  second->handleEvent(event::kClose, mp1, mp2);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(second->isDestroyed()) << "closing is the caller's business";
}

TEST_F(GuiTest, WhenIdleTheHandlerFeedsInputElseEveryWindowIsAskedToClose) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  dispatchPending();
  int idles = 0;
  hb->setIdleHandler([&] {
    if (++idles == 1) hb->motion(*dlg, 10, 10);
  });
  Value mp1, mp2;
  ObjectPtr target;
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kMotion);
  EXPECT_EQ(target, da);
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kClose) << "the handler gave nothing more";
  EXPECT_EQ(target, dlg);
  EXPECT_EQ(idles, 2);

  dlg->Destroy();
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kNone) << "no window: nothing to wait for";
  EXPECT_EQ(target, nullptr);
}

TEST_F(GuiTest, APPEVENTPresentsChangesBeforeItWaits) {
  auto dlg = makeDialog();
  dispatchPending();
  hb->clearPresented();
  dlg->DrawingArea()->SetColorBG(rgb(9, 9, 9));
  hb->setIdleHandler([&] {
    // By the time the application waits, the repaint is on the screen.
    EXPECT_FALSE(hb->presented().empty());
    hb->close(*dlg);
  });
  Value mp1, mp2;
  ObjectPtr target;
  int code = APPEVENT(mp1, mp2, target);
  ASSERT_EQ(code, event::kPaint);
  std::static_pointer_cast<Window>(target)->handleEvent(code, mp1, mp2);
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kClose);
}

}  // namespace
}  // namespace qv::testing
