// A tiny program for the end-to-end test of the message boxes on a real display: a dialog
// with a green drawing area, then two boxes answered from the keyboard. It prints each
// box's result and writes the dialog's back buffer to "probe.png" in the working directory.
#include <cstdio>
#include <string>

#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/runtime.h"

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

  dispatchPending();
  std::string err;
  if (!writeWindowPng(*dlg, "probe.png", &err)) std::printf("shot: %s\n", err.c_str());
  dlg->Hide();
  dlg->Destroy();
  setBackend(nullptr);  // closes SDL down
  return 0;
}
