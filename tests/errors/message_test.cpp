// The error text, LineSplit and the GUI form of the error dialog.
#include <cairo.h>

#include <cstdint>

#include "platform/gui/app.h"
#include "support.h"

namespace qvtest {
namespace {

using qv::ErrorOutcome;
using qv::Value;

class MessageTest : public ErrorsTest {};

qv::ErrorPtr demoError() {
  auto e = std::make_shared<qv::Error>();
  e->severity = 2;
  e->subSystem = "DEMO";
  e->subCode = 17;
  e->description = "Bad value";
  e->fileName = "";
  e->operation = "SHOW";
  e->thread = 1;
  e->cargo = Value();
  e->osCode = 0;
  return e;
}

TEST_F(MessageTest, ErrorTextFromTheMembers) {
  struct Case {
    const char* name;
    std::function<void(qv::Error&)> change;
    const char* text;
  };
  const Case cases[] = {
      {"plain", [](qv::Error&) {}, "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"warning", [](qv::Error& e) { e.severity = 1; },
       "Warning DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"severity 0", [](qv::Error& e) { e.severity = 0; },
       "Warning DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"severity 3", [](qv::Error& e) { e.severity = 3; },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"no subsystem, no subcode",
       [](qv::Error& e) {
         e.subSystem = Value();
         e.subCode = Value();
       },
       "Error ????" "/????;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"subcode as text", [](qv::Error& e) { e.subCode = "17"; },
       "Error DEMO/" "????;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"no description, no operation",
       [](qv::Error& e) {
         e.description = Value();
         e.operation = Value();
       },
       "Error DEMO/17;Thread ID : 1"},
      {"file and thread", [](qv::Error& e) {
         e.fileName = "C:\\DATA\\CUST.DBF";
         e.thread = 12;
       },
       "Error DEMO/17;Description : Bad value;File : C:\\DATA\\CUST.DBF;Operation : SHOW;Thread ID : 12"},
      {"session details", [](qv::Error& e) { e.cargo = Value::array({Value(), 7, "disk full"}); },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1;disk full"},
      {"session details with a text cargo before",
       [](qv::Error& e) { e.cargo = Value::array({"note", 7, "disk full"}); },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1;note;disk full"},
      {"cargo of two elements", [](qv::Error& e) { e.cargo = Value::array({"note", "disk full"}); },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1"},
      {"session message that is not text", [](qv::Error& e) { e.cargo = Value::array({"note", 7, 99}); },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1;note"},
      {"long session message",
       [](qv::Error& e) {
         e.cargo = Value::array({Value(), 7,
                                 "The index file does not match the table and must be rebuilt "
                                 "at once"});
       },
       "Error DEMO/17;Description : Bad value;Operation : SHOW;Thread ID : 1;"
       "The index file does not match the table and must;be rebuilt at once"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto e = demoError();
    c.change(*e);
    EXPECT_EQ(qv::ErrorMessage(e), c.text);
  }
}

TEST_F(MessageTest, LineSplitWrapsWholeWords) {
  std::string text;
  std::vector<std::string> words;
  for (int i = 0; i < 20; ++i) {
    words.push_back(std::string("word") + static_cast<char>('a' + i));
    text += (i ? " " : "") + words.back();
  }
  ASSERT_EQ(text.size(), 119u);
  auto join = [&](int from, int to) {
    std::string s;
    for (int i = from; i < to; ++i) s += (i > from ? " " : "") + words[static_cast<std::size_t>(i)];
    return s;
  };
  EXPECT_EQ(qv::LineSplit(text, 50), join(0, 8) + ";" + join(8, 16) + ";" + join(16, 20));
  EXPECT_EQ(qv::LineSplit("", 50), "");
  EXPECT_EQ(qv::LineSplit("short", 50), "short");
}

// The GUI dialog: the button set, the pressed buttons and the outcome they give.
TEST_F(MessageTest, GuiDialogOutcomes) {
  struct Case {
    const char* name;
    bool canRetry, canDefault;
    std::vector<int> pressed;
    std::vector<std::string> buttons;  // of the first box
    ErrorOutcome outcome;
  };
  using namespace qv::box;
  const std::vector<std::string> ari = {"Abort", "Retry", "Ignore"};
  const std::vector<std::string> rc = {"Retry", "Cancel"};
  const std::vector<std::string> oc = {"OK", "Cancel"};
  const std::vector<std::string> ok = {"OK"};
  const Case cases[] = {
      {"both: Retry", true, true, {kResultRetry}, ari, ErrorOutcome::Retry},
      {"both: Ignore", true, true, {kResultIgnore}, ari, ErrorOutcome::Default},
      {"both: Abort", true, true, {kResultAbort}, ari, ErrorOutcome::ExitWithLog},
      {"retry only: Retry", true, false, {kResultRetry}, rc, ErrorOutcome::Retry},
      {"retry only: Cancel, Yes", true, false, {kResultCancel, kResultYes}, rc, ErrorOutcome::ExitWithLog},
      {"retry only: Cancel, No", true, false, {kResultCancel, kResultNo}, rc, ErrorOutcome::Break},
      {"default only: OK", false, true, {kResultOk}, oc, ErrorOutcome::ExitWithLog},
      {"default only: Cancel, No", false, true, {kResultCancel, kResultNo}, oc, ErrorOutcome::Break},
      {"neither: OK", false, false, {kResultOk}, ok, ErrorOutcome::ExitWithLog},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qv::clearShownBoxes();
    respond(c.pressed);
    auto e = demoError();
    e->canRetry = c.canRetry;
    e->canDefault = c.canDefault;
    EXPECT_EQ(qv::errorDialog("Error DEMO/17;Thread ID : 1", e), c.outcome);
    const auto& boxes = qv::shownBoxes();
    ASSERT_EQ(boxes.size(), c.pressed.size());
    EXPECT_EQ(boxes[0].kind, "CONFIRMBOX");
    EXPECT_EQ(boxes[0].title, "Quorvex Error Message");
    EXPECT_EQ(boxes[0].text, "Error DEMO/17\rThread ID : 1");
    EXPECT_EQ(boxes[0].buttons, c.buttons);
    if (boxes.size() == 2) {
      EXPECT_EQ(boxes[1].title, "Quorvex Error Message");
      EXPECT_EQ(boxes[1].text, "Exit with LOG file");
      EXPECT_EQ(boxes[1].buttons, (std::vector<std::string>{"Yes", "No"}));
    }
  }
}

// The icon a user sees in each box: the colour that fills it, sampled inside the icon
// square of the box's back buffer (16, 16 to 48, 48).
enum class Icon { None, Stop, Exclamation, Information };

Icon iconShown() {
  auto box = qv::currentBoxWindow();
  if (!box) return Icon::None;
  qv::dispatchPending();
  cairo_surface_t* s = qv::backBufferOf(*box);
  if (!s) return Icon::None;
  cairo_surface_flush(s);
  int red = 0, yellow = 0, blue = 0;
  for (int row = 16; row < 48; ++row) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                              row * cairo_image_surface_get_stride(s));
    for (int col = 16; col < 48; ++col) {
      const int r = line[col] >> 16 & 255, g = line[col] >> 8 & 255, b = line[col] & 255;
      red += r > 180 && g < 40 && b < 40;
      yellow += r > 230 && g > 180 && g < 230 && b < 40;
      blue += r < 40 && g > 60 && g < 120 && b > 180;
    }
  }
  if (red > 50 && yellow == 0 && blue == 0) return Icon::Stop;
  if (yellow > 50 && red == 0 && blue == 0) return Icon::Exclamation;
  if (blue > 50 && red == 0 && yellow == 0) return Icon::Information;
  return Icon::None;
}

TEST_F(MessageTest, IconFollowsSeverity) {
  struct Case {
    double severity;
    Icon icon;
  };
  const Case cases[] = {{3, Icon::Stop},          {2, Icon::Stop},          {1, Icon::Exclamation},
                        {0, Icon::Information}, {4, Icon::Information}, {1.5, Icon::Information}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.severity);
    std::vector<Icon> icons;
    onBox_ = [&](const qv::BoxRecord&) { icons.push_back(iconShown()); };
    respond({qv::box::kResultCancel, qv::box::kResultNo});
    auto e = demoError();
    e->severity = c.severity;
    e->canRetry = true;
    e->canDefault = false;
    EXPECT_EQ(qv::errorDialog("Error DEMO/17", e), ErrorOutcome::Break);
    // The question "Exit with LOG file" always carries the exclamation mark.
    EXPECT_EQ(icons, (std::vector<Icon>{c.icon, Icon::Exclamation}));
  }
}

// A real failing operation shown in the GUI: the operating-system part follows the text
// and the call stack lists the routine that raised it and its callers, with real lines.
int raiseLine = 0;
int callLine = 0;

void raisesOsError() {
  QV_ROUTINE("RaisesOsError");
  qv::ErrorSpec fault;
  fault.genCode = qv::gen::kOpen;
  fault.subSystem = "DEMO";
  fault.subCode = 3;
  fault.description = "Cannot open";
  fault.osCode = 5;
  fault.canRetry = true;
  fault.canDefault = false;
  QV_LINE(); raiseLine = __LINE__; qv::raiseError(qv::makeError(fault));
}

void callsIt() {
  QV_ROUTINE("CallsIt");
  QV_LINE(); callLine = __LINE__; raisesOsError();
}

TEST_F(MessageTest, GuiTextCarriesTheOsErrorAndTheCallStack) {
  respond({qv::box::kResultCancel, qv::box::kResultNo});
  qv::protectedBlock(callsIt);
  ASSERT_FALSE(qv::shownBoxes().empty());
  const std::string expected = "Error DEMO/3\rDescription : Cannot open\rThread ID : 1"
                               "\rOperating system error : 5\r" +
                               qv::DOSERRORMESSAGE(5) + "\rCalled from RaisesOsError(" +
                               std::to_string(raiseLine) + ")\rCalled from CallsIt(" +
                               std::to_string(callLine) + ")";
  EXPECT_EQ(qv::shownBoxes()[0].text, expected);
  EXPECT_FALSE(qv::DOSERRORMESSAGE(5).empty());
}

}  // namespace
}  // namespace qvtest
