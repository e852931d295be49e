// A tiny program for the end-to-end test of the window layer on a real display: a dialog
// with a green drawing area, then two boxes answered from the keyboard, then a press on a
// static that takes the mouse capture and reports where the button goes up (also outside
// it). It prints what happened and writes the dialog's back buffer to "probe.png" in the
// working directory.
#include <cstdio>
#include <string>

#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/runtime.h"

namespace {

class Catcher : public qv::QvpStatic {
 public:
  bool done = false;
  void lbDown(const qv::Value& aPos) override {
    (void)aPos;
    std::printf("capture: %d\n", CaptureMouse(true) ? 1 : 0);
    std::fflush(stdout);
  }
  void lbUp(const qv::Value& aPos) override {
    std::printf("up: %g %g\n", aPos.element(1).number(), aPos.element(2).number());
    std::fflush(stdout);
    CaptureMouse(false);
    done = true;
  }
};

}  // namespace

int main() {
  using namespace qv;
  std::string why;
  auto b = makeDefaultBackend(false, &why);
  bool headless = b->headless();
  setBackend(std::move(b));
  std::printf("backend: %s\n", why.c_str());
  std::fflush(stdout);
  if (headless) return 3;
  setAppType(kAppTypeGui);

  auto dlg = New<QvpDialog>(nullptr, nullptr, Value::array({40, 300}), Value::array({320, 200}));
  dlg->title = "Box probe";
  dlg->Create();
  dlg->DrawingArea()->SetColorBG(16777216.0 + 256.0 * 255);
  dlg->Show();
  SETAPPFOCUS(dlg);
  dispatchPending();

  Value first = CONFIRMBOX(dlg, "Save the changes?;A second line", "Probe question", box::kYesNo,
                           box::kIconQuestion + 131072);
  std::printf("result 1: %d\n", static_cast<int>(first.number()));
  std::fflush(stdout);
  Value second = CONFIRMBOX(dlg, "Leave this box with Escape", "Probe cancel", box::kOkCancel,
                            box::kIconExclamation + 131072);
  std::printf("result 2: %d\n", static_cast<int>(second.number()));
  std::fflush(stdout);

  // The catcher covers columns 20-119 and rows 120-179 of the dialog.
  auto catcher = New<Catcher>(dlg->DrawingArea(), nullptr, Value::array({20, 20}),
                              Value::array({100, 60}));
  catcher->Create();
  catcher->SetColorBG(16777216.0 + 65536.0 * 255);
  std::printf("ready for the mouse\n");
  std::fflush(stdout);
  while (!catcher->done) {
    Value mp1, mp2;
    ObjectPtr target;
    int code = APPEVENT(mp1, mp2, target);
    if (!target || code == event::kClose) break;
    std::static_pointer_cast<Window>(target)->handleEvent(code, mp1, mp2);
  }

  dispatchPending();
  std::string err;
  if (!writeWindowPng(*dlg, "probe.png", &err)) std::printf("shot: %s\n", err.c_str());
  dlg->Hide();
  dlg->Destroy();
  setBackend(nullptr);  // closes SDL down
  return 0;
}
