// The demo as a user meets it: Main on the headless backend, driven by synthetic input,
// checked through the window's pixels, the controls' state and the boxes shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "colour/rgb.h"
#include "controls/ActiveText.h"
#include "controls/GraphicButton.h"
#include "controls/ShadowButton.h"
#include "controls/ShadowText.h"
#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// Runs in a fresh working directory, with or without the sample "Files.bmp".
class WorkDir {
 public:
  explicit WorkDir(bool withSample) {
    dir_ = fs::temp_directory_path() / ("gallery-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(dir_);
    if (withSample) fs::copy_file(fs::path(QV_SAMPLE_DIR) / "Files.bmp", dir_ / "Files.bmp");
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~WorkDir() {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

 private:
  static inline int counter_ = 0;
  fs::path dir_, old_;
};

// One run of Main. Each step runs when the event queue is idle; a step that returns true
// has given the application input and waits for the next idle moment.
class GalleryRun {
 public:
  using Step = std::function<bool(GalleryRun&)>;

  explicit GalleryRun(bool withSample = true) : dir_(withSample), backend_(installHeadlessBackend()) {
    clearShownBoxes();
    setBoxResponder({});
    setMainShownHook([this](const MainState& s) { state_ = &s; });
    backend_.setIdleHandler([this] {
      while (state_ && next_ < steps_.size())
        if (steps_[next_++](*this)) return;
    });
  }
  ~GalleryRun() {
    setMainShownHook({});
    backend_.setIdleHandler({});
  }

  GalleryRun& then(Step s) {
    steps_.push_back(std::move(s));
    return *this;
  }
  // Checks run at an idle moment, give no input.
  GalleryRun& check(std::function<void(GalleryRun&)> f) {
    return then([f](GalleryRun& r) {
      f(r);
      return false;
    });
  }
  GalleryRun& clickOn(std::function<WindowPtr(GalleryRun&)> which) {
    return then([which](GalleryRun& r) {
      const DeviceRect d = which(r)->deviceRect();
      const int x = d.x + d.w / 2, y = d.y + d.h / 2;
      r.backend_.motion(*r.dialog(), x, y);
      r.backend_.click(*r.dialog(), x, y);
      return true;
    });
  }
  Value run() {
    Value result = Main();
    state_ = nullptr;
    return result;
  }

  const MainState& state() const { return *state_; }
  std::shared_ptr<QvpDialog> dialog() const { return state_->oDlg; }
  std::vector<WindowPtr> controls() const { return dialog()->DrawingArea()->ChildList(); }
  WindowPtr captioned(const std::string& caption) const {
    for (auto& w : controls())
      if (auto c = std::dynamic_pointer_cast<ShadowText>(w); c && c->Caption == caption) return c;
    ADD_FAILURE() << "no control captioned " << caption;
    return dialog()->DrawingArea();
  }
  // The back buffer's pixel as a packed RGB colour (column, row from the top-left).
  double pixel(int x, int y) const {
    cairo_surface_t* s = dialog()->backBuffer();
    cairo_surface_flush(s);
    const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return rgbColour((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
  }
  double background() const { return pixel(780, 10); }  // a spot no control covers
  HeadlessBackend& backend() { return backend_; }

 private:
  WorkDir dir_;
  HeadlessBackend& backend_;
  const MainState* state_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
};

const double kRed = rgbColour(255, 0, 0);

TEST(Gallery, StartsRedWithNineControlsInOrderAndTheColourCaptionAtNinetyDegrees) {
  GalleryRun run;
  run.check([](GalleryRun& r) {
    EXPECT_EQ(r.background(), kRed);
    struct Expected {
      const char* cls;
      const char* caption;
      double x, y, angle;
    };
    const Expected expected[] = {
        {"ShadowText", "90 Degrees", 400, 100, 90},   {"ShadowText", "45 Degrees", 50, 250, 45},
        {"ActiveText", "Active Text", 350, 250, 0},   {"ActiveText", "Active Text 90", 350, 350, 90},
        {"ShadowText", "Normal", 100, 400, 0},        {"ShadowText", "Color  1", 10, 50, 90},
        {"ShadowButton", "Color", 200, 200, 0},       {"GraphicButton", "From Name", 200, 50, 0},
        {"GraphicButton", "From Resource", 475, 50, 0},
    };
    const auto controls = r.controls();
    ASSERT_EQ(controls.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
      auto c = std::dynamic_pointer_cast<ShadowText>(controls[i]);
      ASSERT_TRUE(c) << i;
      EXPECT_EQ(c->className(), expected[i].cls) << i;
      EXPECT_EQ(c->Caption, expected[i].caption) << i;
      EXPECT_EQ(c->CurrentPos(), (Point{expected[i].x, expected[i].y})) << i;
      EXPECT_EQ(c->Angle, expected[i].angle) << i;
    }
    EXPECT_EQ(r.state().oSay, controls[5]);
    EXPECT_EQ(controls[5]->CurrentSize(), (Size{150, 150}));
    EXPECT_EQ(std::dynamic_pointer_cast<ShadowText>(controls[5])->ShadowDepth, -5.0);
    EXPECT_EQ(std::dynamic_pointer_cast<ShadowText>(controls[4])->ShadowDepth, 10);
    EXPECT_EQ(controls[6]->CurrentSize(), (Size{100, 40}));
    auto button = std::dynamic_pointer_cast<ShadowButton>(controls[6]);
    EXPECT_EQ(button->HoverColorBG, rgbColour(255, 0, 255));
    EXPECT_EQ(button->ColorBG, rgbColour(255, 0, 255));
    EXPECT_EQ(button->oFont->CompoundName(), "16.Arial Bold");
    EXPECT_EQ(std::dynamic_pointer_cast<ShadowText>(controls[5])->oFont->CompoundName(),
              "24.Times New Roman Bold Italic");
    EXPECT_EQ(std::dynamic_pointer_cast<GraphicButton>(controls[8])->GraphicFile.number(), 100);
    EXPECT_EQ(std::dynamic_pointer_cast<GraphicButton>(controls[8])->oGraph->xSize(), 200);
  });
  EXPECT_TRUE(run.run().isNil());
  EXPECT_TRUE(shownBoxes().empty()) << shownBoxes().front().text;
}

// The colour step's table: background, angle and caption of the colour caption per index.
struct StepRow {
  int r, g, b;
  double angle;
  const char* caption;
};
const StepRow kSteps[] = {
    {255, 0, 0, 90, "Color 1"},      {0, 255, 0, 66, "Color 2"},      {0, 0, 255, 42, "Color 3"},
    {255, 0, 255, 18, "Color 4"},    {255, 255, 0, -6, "Color 5"},    {0, 255, 255, -30, "Color 6"},
    {156, 100, 200, -54, "Color 7"}, {60, 130, 222, -78, "Color 8"},
};

TEST(Gallery, ClicksOnTheThreeButtonsAdvanceOneSharedColourSequence) {
  GalleryRun run;
  const char* buttons[] = {"Color", "From Name", "From Resource"};
  for (int click = 1; click <= 9; ++click) {
    const std::string button = buttons[(click - 1) % 3];
    run.clickOn([button](GalleryRun& r) { return r.captioned(button); });
    run.check([click](GalleryRun& r) {
      const StepRow& row = kSteps[click % 8];
      SCOPED_TRACE("after click " + std::to_string(click));
      EXPECT_EQ(r.state().nInc.number(), click % 8 + 1);
      EXPECT_EQ(r.background(), rgbColour(row.r, row.g, row.b));
      EXPECT_EQ(r.state().oSay->Angle, row.angle);
      EXPECT_EQ(r.state().oSay->Caption, row.caption);
    });
  }
  run.run();
  EXPECT_TRUE(shownBoxes().empty());
}

TEST(Gallery, ActiveCaptionsShowTheirBoxesAndLeaveTheBackgroundAlone) {
  GalleryRun run;
  run.clickOn([](GalleryRun& r) { return r.captioned("Active Text"); });
  run.clickOn([](GalleryRun& r) { return r.captioned("Active Text 90"); });
  run.check([](GalleryRun& r) {
    EXPECT_EQ(r.background(), kRed);
    EXPECT_EQ(r.state().nInc.number(), 1);
  });
  run.run();
  ASSERT_EQ(shownBoxes().size(), 2u);
  EXPECT_EQ(shownBoxes()[0].text, "Selected");
  EXPECT_EQ(shownBoxes()[1].text, "Selected 90");
  EXPECT_EQ(shownBoxes()[0].kind, "MSGBOX");
}

TEST(Gallery, AMissingFilesBmpIsToldAndTheProgramGoesOn) {
  GalleryRun run(/*withSample=*/false);
  run.clickOn([](GalleryRun& r) { return r.captioned("From Name"); });
  run.check([](GalleryRun& r) {
    EXPECT_EQ(r.state().nInc.number(), 2);
    EXPECT_FALSE(std::dynamic_pointer_cast<GraphicButton>(r.captioned("From Name"))->oGraph);
  });
  run.run();
  ASSERT_EQ(shownBoxes().size(), 1u);
  EXPECT_EQ(shownBoxes()[0].title, "ERROR");
  EXPECT_EQ(shownBoxes()[0].text, "ERROR in GraphicButton no file Files.bmp");
}

TEST(Gallery, TheBitmapButtonsShowTheirPictures) {
  GalleryRun run;
  run.check([](GalleryRun& r) {
    // Inside the bevel and away from the caption each picture differs from the grey of an
    // empty button and from the red behind it.
    for (const char* caption : {"From Name", "From Resource"}) {
      const DeviceRect d = r.captioned(caption)->deviceRect();
      int distinct = 0;
      for (int x = d.x + 4; x < d.x + d.w - 4; x += 7) {
        const double p = r.pixel(x, d.y + 8);
        distinct += p != kRed && p != rgbColour(255, 255, 255);
      }
      EXPECT_GT(distinct, 10) << caption;
    }
  });
  run.run();
}

TEST(MainLoop, ACloseRequestIsDispatchedThenFocusGoesBackAndTheDialogIsDestroyed) {
  GalleryRun run;
  std::shared_ptr<QvpDialog> dialog;
  bool closeHandled = false;
  auto before = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({10, 10}));
  before->Create();
  SETAPPFOCUS(before);
  run.then([&](GalleryRun& r) {
    dialog = r.dialog();
    EXPECT_EQ(focusedWindow(), dialog);
    dialog->close = Value::callback([&](std::vector<Value>& args) {
      closeHandled = true;
      EXPECT_EQ(args.size(), 3u);
      EXPECT_FALSE(dialog->isDestroyed());
      return Value();
    });
    r.backend().close(*dialog);
    return true;
  });
  EXPECT_TRUE(run.run().isNil());
  EXPECT_TRUE(closeHandled);
  EXPECT_TRUE(dialog->isDestroyed());
  EXPECT_EQ(focusedWindow(), before);
  before->Destroy();
}

TEST(BtnHandle, StepsThroughTheEightColoursAndBackAndStartsFromNil) {
  installHeadlessBackend();
  auto dlg = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({50, 50}));
  dlg->Create();
  const Value colours = makeColourTable();
  const double packed[] = {16777471, 16842496, 33488896, 33489151, 16842751, 33554176, 29910172, 31359548};
  ASSERT_EQ(colours.length(), 8u);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(colours.element(i + 1).number(), packed[i]);

  Value nInc = 1;
  for (int call = 1; call <= 8; ++call) {
    EXPECT_TRUE(btnHandle(dlg, colours, nInc).isNil());
    EXPECT_EQ(nInc.number(), call % 8 + 1);
    EXPECT_EQ(dlg->DrawingArea()->SetColorBG(), packed[call % 8]);
  }
  Value none;
  btnHandle(dlg, colours, none);
  EXPECT_EQ(none.number(), 1);
  EXPECT_EQ(dlg->DrawingArea()->SetColorBG(), packed[0]);
  dlg->Destroy();
}

}  // namespace
}  // namespace qv
