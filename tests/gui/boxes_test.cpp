// Message boxes: result codes, keyboard, mouse and close button, the nested loop, the look,
// and the text-mode alert.
#include <sstream>

#include "gui_fixture.h"
#include "platform/runtime/runtime.h"

namespace qv::testing {
namespace {

using namespace box;

Value confirm(int set, int style = 0, const char* text = "Question?") {
  return CONFIRMBOX(Value(), text, "Title", set, style);
}

// Feeds keys into the box window one round after another, then fails loudly if the box
// is still up.
BoxResponder typing(HeadlessBackend* hb, std::vector<int> keys, int* rounds = nullptr) {
  auto i = std::make_shared<std::size_t>(0);
  return [=](const BoxRecord&) {
    if (rounds) ++*rounds;
    if (*i < keys.size()) {
      hb->key(*currentBoxWindow(), keys[(*i)++]);
      return kKeepOpen;
    }
    ADD_FAILURE() << "the box did not end after its keys";
    return 0;
  };
}

TEST_F(GuiTest, EachButtonSetAnswersItsOwnCodes) {
  struct Case {
    int set;
    std::vector<std::string> labels;
    std::vector<int> codes;
  } cases[] = {
      {kOk, {"OK"}, {kResultOk}},
      {kOkCancel, {"OK", "Cancel"}, {kResultOk, kResultCancel}},
      {kAbortRetryIgnore, {"Abort", "Retry", "Ignore"}, {kResultAbort, kResultRetry, kResultIgnore}},
      {kYesNo, {"Yes", "No"}, {kResultYes, kResultNo}},
      {kRetryCancel, {"Retry", "Cancel"}, {kResultRetry, kResultCancel}},
  };
  for (const auto& c : cases) {
    for (int code : c.codes) {
      setBoxResponder([&](const BoxRecord& r) {
        EXPECT_EQ(r.buttons, c.labels);
        return code;
      });
      EXPECT_EQ(confirm(c.set).number(), code) << "set " << c.set;
    }
    // 0 and a code the set does not have both take the default: the first button.
    setBoxResponder([](const BoxRecord&) { return 0; });
    EXPECT_EQ(confirm(c.set).number(), c.codes[0]);
    setBoxResponder([](const BoxRecord&) { return 99; });
    EXPECT_EQ(confirm(c.set).number(), c.codes[0]);
  }
  // 256 makes the second button the default, 512 the third.
  setBoxResponder({});
  EXPECT_EQ(confirm(kYesNo, 256).number(), kResultNo);
  EXPECT_EQ(confirm(kAbortRetryIgnore, 512 + 16 + 131072).number(), kResultIgnore);
  EXPECT_TRUE(topLevelWindows().empty()) << "every box window is gone";
}

TEST_F(GuiTest, TheBoxIsRecordedAndObserved) {
  std::vector<BoxRecord> observed;
  setBoxObserver([&](const BoxRecord& r) { observed.push_back(r); });
  setBoxResponder([](const BoxRecord&) { return kResultRetry; });
  CONFIRMBOX(Value(), "Error DEMO/17\rThread ID : 1", "Quorvex Error Message", kRetryCancel,
             16 + 131072);
  ASSERT_EQ(shownBoxes().size(), 1u);
  const BoxRecord& r = shownBoxes()[0];
  EXPECT_EQ(r.kind, "CONFIRMBOX");
  EXPECT_EQ(r.title, "Quorvex Error Message");
  EXPECT_EQ(r.text, "Error DEMO/17\rThread ID : 1");
  EXPECT_EQ(r.result, kResultRetry);
  ASSERT_EQ(observed.size(), 1u);
  EXPECT_EQ(observed[0].result, kResultRetry);

  setBoxDefaultTitle("gallery");
  EXPECT_EQ(MSGBOX("Hello").number(), 1);
  EXPECT_EQ(shownBoxes().back().kind, "MSGBOX");
  EXPECT_EQ(shownBoxes().back().title, "gallery");
  EXPECT_EQ(MSGBOX("Hello", "Own").number(), 1);
  EXPECT_EQ(shownBoxes().back().title, "Own");
}

TEST_F(GuiTest, KeyboardMovesBetweenButtonsAndAnswers) {
  struct Case {
    int set;
    std::vector<int> keys;
    int result;
  } cases[] = {
      {kOkCancel, {key::kEnter}, kResultOk},
      {kOkCancel, {key::kTab, key::kEnter}, kResultCancel},
      {kOkCancel, {key::kEscape}, kResultCancel},
      {kOk, {key::kEscape}, kResultOk},
      {kAbortRetryIgnore, {key::kRight, key::kRight, key::kEnter}, kResultIgnore},
      {kAbortRetryIgnore, {key::kLeft, key::kEnter}, kResultIgnore},  // wraps round
      {kAbortRetryIgnore, {key::kDown, key::kTab, key::kUp, key::kEnter}, kResultRetry},
      {kYesNo, {key::kEscape, key::kEnter}, kResultYes},  // Escape: no way out
      {kRetryCancel, {key::kTab, key::kTab, key::kEnter}, kResultRetry},
  };
  for (const auto& c : cases) {
    int rounds = 0;
    setBoxResponder(typing(hb, c.keys, &rounds));
    EXPECT_EQ(confirm(c.set).number(), c.result) << "set " << c.set << ", " << c.keys.size()
                                                 << " keys";
    EXPECT_EQ(rounds, static_cast<int>(c.keys.size()));
  }
}

TEST_F(GuiTest, TheCloseButtonCancelsWhereThereIsACancel) {
  struct Case {
    int set;
    int result;  // 0: the close is ignored
  } cases[] = {
      {kOk, kResultOk},         {kOkCancel, kResultCancel}, {kRetryCancel, kResultCancel},
      {kAbortRetryIgnore, 0}, {kYesNo, 0},
  };
  for (const auto& c : cases) {
    int rounds = 0;
    setBoxResponder([&](const BoxRecord&) {
      if (++rounds == 1) {
        hb->close(*currentBoxWindow());
        return kKeepOpen;
      }
      return kResultNo;  // the set's own answer, or the default where it has no No
    });
    int got = static_cast<int>(confirm(c.set).number());
    if (c.result) {
      EXPECT_EQ(got, c.result) << "set " << c.set;
      EXPECT_EQ(rounds, 1);
    } else {
      EXPECT_EQ(rounds, 2) << "set " << c.set << ": the box stayed up";
      EXPECT_NE(got, kResultCancel);
    }
  }
}

TEST_F(GuiTest, ClicksPressButtonsOnlyWhenReleasedOnTheSameOne) {
  int rounds = 0;
  setBoxResponder([&](const BoxRecord&) {
    auto box = currentBoxWindow();
    DeviceRect yes = boxButtonRect(*box, 0), no = boxButtonRect(*box, 1);
    if (++rounds == 1) {
      // Pressed on Yes, released on No: nothing.
      hb->buttonDown(*box, yes.x + 5, yes.y + 5);
      hb->buttonUp(*box, no.x + 5, no.y + 5);
      return kKeepOpen;
    }
    hb->click(*box, no.x + no.w / 2, no.y + no.h / 2);
    return kKeepOpen;
  });
  EXPECT_EQ(confirm(kYesNo).number(), kResultNo);
  EXPECT_EQ(rounds, 2);
}

TEST_F(GuiTest, WhileABoxIsUpOtherWindowsRepaintButGetNoInput) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  auto p = makeProbe(da, "p", 20, 20, 40, 40);
  dispatchPending();
  log.clear();
  bool checked = false;
  int rounds = 0;
  setBoxResponder([&](const BoxRecord&) {
    if (++rounds == 1) {
      da->SetColorBG(rgb(0, 255, 0));
      hb->click(*dlg, 30, 60);
      hb->key(*dlg, key::kEnter);
      hb->close(*dlg);
      return kKeepOpen;
    }
    EXPECT_EQ(pixelOf(*da, 5, 5), (Pixel{0, 255, 0}));
    for (auto& c : log) EXPECT_EQ(c.what, "Paint") << "input reached the dialog";
    checked = true;
    return 0;
  });
  SETAPPFOCUS(dlg);
  dispatchPending();
  MSGBOX("modal");
  EXPECT_TRUE(checked);
  EXPECT_EQ(focusedWindow(), dlg) << "the focus comes back";
  for (auto& t : drain()) {
    EXPECT_NE(t.code, event::kLbDown) << "input dropped, not kept for later";
    EXPECT_NE(t.code, event::kKeyboard);
    EXPECT_NE(t.code, event::kClose);
  }
}

TEST_F(GuiTest, TheBoxLosingNoInputWhenItOpensTakesTheFocusFromTheDialog) {
  auto dlg = makeDialog();
  int kills = 0;
  dlg->killInputFocus = Value::callback([&](std::vector<Value>&) {
    ++kills;
    return Value();
  });
  SETAPPFOCUS(dlg);
  dispatchPending();
  MSGBOX("x");
  EXPECT_EQ(kills, 1) << "the dialog's focus loss ran while the box was up";
}

TEST_F(GuiTest, TheBoxIsSizedToItsTextAndCentredOnItsOwner) {
  auto owner = New<QvpDialog>(nullptr, nullptr, Value::array({100, 100}), Value::array({400, 300}));
  owner->Create();
  std::vector<Size> sizes;
  std::vector<Point> centres;
  setBoxResponder([&](const BoxRecord&) {
    auto b = currentBoxWindow();
    sizes.push_back(b->CurrentSize());
    centres.push_back({b->CurrentPos().x + b->CurrentSize().w / 2,
                       b->CurrentPos().y + b->CurrentSize().h / 2});
    return 0;
  });
  CONFIRMBOX(owner, "one", "T", kOk, 0);
  CONFIRMBOX(owner, "one;two\rthree", "T", kOk, 0);
  CONFIRMBOX(owner, std::string(120, 'w'), "T", kOk, 0);
  CONFIRMBOX(Value(), "one", "T", kOk, 0);
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_GT(sizes[1].h, sizes[0].h) << "three lines are taller than one";
  EXPECT_GT(sizes[2].w, sizes[0].w) << "a long line is wider";
  EXPECT_NEAR(centres[0].x, 300, 1);
  EXPECT_NEAR(centres[0].y, 250, 1);
  EXPECT_NEAR(centres[3].x, 640, 1) << "no owner: the screen";
  EXPECT_NEAR(centres[3].y, 512, 1);
}

TEST_F(GuiTest, IconsAreDrawnShapes) {
  // Icon square at 16, 16 (device pixels), 32 wide.
  struct Case {
    int style;
    int col, row;
    Pixel colour;
  } cases[] = {
      {kIconStop, 21, 32, {204, 0, 0}},
      {kIconExclamation, 24, 43, {255, 204, 0}},
      {kIconInformation, 21, 32, {0, 89, 204}},
  };
  for (const auto& c : cases) {
    Pixel got{-1, -1, -1}, corner{-1, -1, -1};
    setBoxResponder([&](const BoxRecord&) {
      auto b = currentBoxWindow();
      dispatchPending();
      cairo_surface_t* s = backBufferOf(*b);
      cairo_surface_flush(s);
      auto at = [&](int col, int row) {
        auto* px = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                          row * cairo_image_surface_get_stride(s)) +
                   col;
        return Pixel{int(*px >> 16 & 255), int(*px >> 8 & 255), int(*px & 255)};
      };
      got = at(c.col, c.row);
      corner = at(2, 2);
      return 0;
    });
    CONFIRMBOX(Value(), "text", "T", kOk, c.style + 131072);
    EXPECT_NEAR(got.r, c.colour.r, 2) << c.style;
    EXPECT_NEAR(got.g, c.colour.g, 2) << c.style;
    EXPECT_NEAR(got.b, c.colour.b, 2) << c.style;
    EXPECT_EQ(corner, (Pixel{240, 240, 240}));
  }
}

class TextAlertTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    setAppType(kAppTypeText);
  }
  void TearDown() override {
    setAppType(kAppTypeGui);
    setAlertStreams(nullptr, nullptr);
    GuiTest::TearDown();
  }
  int ask(const std::string& input) {
    std::istringstream in(input);
    out.str("");
    setAlertStreams(&in, &out);
    return static_cast<int>(
        ALERT("Error BASE/1;Description : x",
              Value::array({"Cancel", "Exit with LOG file", "Retry", "Ignore"}))
            .number());
  }
  std::ostringstream out;
};

TEST_F(TextAlertTest, ReadsANumberOrALabelFromTheTerminal) {
  EXPECT_EQ(ask("3\n"), 3);
  EXPECT_EQ(ask("  ignore \n"), 4);
  EXPECT_EQ(ask("Exit with LOG file\n"), 2);
  EXPECT_EQ(ask("7\nbogus\n\n1\n"), 1) << "asks again until the answer is one of them";
  EXPECT_EQ(ask(""), 0) << "end of input";
  EXPECT_EQ(ask("99999999999999999999\n"), 0) << "a huge number is no choice, then end";
  ask("1\n");
  std::string shown = out.str();
  EXPECT_NE(shown.find("Error BASE/1\nDescription : x\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("4) Ignore"), std::string::npos) << shown;
  EXPECT_TRUE(topLevelWindows().empty()) << "no window in text mode";
  EXPECT_EQ(shownBoxes().back().kind, "ALERT");
  EXPECT_EQ(shownBoxes().back().result, 1);
}

TEST_F(GuiTest, AGuiAlertAnswersThePositionOrZeroWhenLeft) {
  setBoxResponder([](const BoxRecord&) { return 2; });
  EXPECT_EQ(ALERT("a;b", Value::array({"One", "Two", "Three"})).number(), 2);
  setBoxResponder(typing(hb, {key::kEscape}));
  EXPECT_EQ(ALERT("a", Value::array({"One", "Two"})).number(), 0);
  setBoxResponder({});
  EXPECT_EQ(ALERT("a", Value()).number(), 1) << "no buttons: one Ok button";
}

}  // namespace
}  // namespace qv::testing
