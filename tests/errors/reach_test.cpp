// A runtime error anywhere in the program reaches the handler: here a text function given
// a number inside a control's Paint, while the window layer repaints. Break abandons that paint and
// the program goes on.
#include "platform/gui/app.h"
#include "platform/gui/window.h"
#include "support.h"

namespace qvtest {
namespace {

using qv::Value;

int paintLine = 0;

class FailingCaption : public qv::QvpStatic {
 public:
  bool fail = false;
  int paints = 0;
  bool finished = false;
  void Paint() override {
    QV_ROUTINE("FailingCaption:Paint");
    ++paints;
    finished = false;
    if (fail) {
      QV_LINE(); paintLine = __LINE__; qv::LTRIM(Value(42));
    }
    finished = true;
  }
};

class ReachTest : public ErrorsTest {
 protected:
  void TearDown() override {
    qv::resetGuiForTesting();
    ErrorsTest::TearDown();
  }
};

TEST_F(ReachTest, ErrorInAPaintHandlerIsShownAndBreakAbandonsThePaint) {
  auto dialog = qv::New<qv::QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({200, 100}));
  dialog->Create();
  auto caption = qv::New<FailingCaption>(dialog->DrawingArea(), nullptr, Value::array({10, 10}),
                                         Value::array({50, 20}));
  caption->Create();
  qv::dispatchPending();
  ASSERT_TRUE(caption->finished);

  caption->fail = true;
  caption->paints = 0;
  respond({qv::box::kResultCancel, qv::box::kResultNo});
  caption->InvalidateRect();
  qv::dispatchPending();

  EXPECT_EQ(caption->paints, 1);
  EXPECT_FALSE(caption->finished);
  ASSERT_EQ(qv::shownBoxes().size(), 2u);
  const std::string& text = qv::shownBoxes()[0].text;
  EXPECT_EQ(text.rfind("Error BASE/", 0), 0u) << text;
  EXPECT_NE(text.find("\rOperation : LTRIM\r"), std::string::npos) << text;
  EXPECT_NE(text.find("\rCalled from FailingCaption:Paint(" + std::to_string(paintLine) + ")"), std::string::npos)
      << text;
  EXPECT_EQ(qv::shownBoxes()[1].text, "Exit with LOG file");
  EXPECT_EQ(qv::ERRORLEVEL(), 0);

  // The program goes on: the next repaint draws.
  caption->fail = false;
  caption->InvalidateRect();
  qv::dispatchPending();
  EXPECT_TRUE(caption->finished);
  EXPECT_EQ(qv::shownBoxes().size(), 2u);
}

}  // namespace
}  // namespace qvtest
