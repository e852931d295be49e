// The gallery as Main builds it, on the headless backend, without Main's blocking loop:
// the benchmarks and the soak drive it event by event.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "controls/ActiveText.h"
#include "controls/GraphicButton.h"
#include "controls/ShadowButton.h"
#include "controls/ShadowText.h"
#include "errors/ErrorSys.h"
#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "shell/Program.h"

namespace qvbench {

// Builds the gallery in a scratch directory holding the sample "Files.bmp", as a user
// starting the program next to it would.
class Gallery {
 public:
  explicit Gallery(const std::string& sampleDir) : backend(qv::installHeadlessBackend()) {
    namespace fs = std::filesystem;
    dir_ = fs::temp_directory_path() / ("qv-gallery-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    std::error_code ec;
    fs::copy_file(fs::path(sampleDir) / "Files.bmp", dir_ / "Files.bmp", fs::copy_options::overwrite_existing, ec);
    old_ = fs::current_path();
    fs::current_path(dir_);
    qv::ErrorSys();
    qv::setBoxResponder({});
    state.aColors = qv::makeColourTable();
    state.nInc = 1;
    state.oDlg = qv::New<qv::QvpDialog>(nullptr, nullptr, qv::Value::array({0, 0}), qv::Value::array({800, 600}));
    state.oDlg->title = "A Test In Normal Qv";
    state.oDlg->Sysmenu = true;
    state.oDlg->Create();
    oDa = state.oDlg->DrawingArea();
    oDa->SetColorBG(state.aColors.element(1).number());
    qv::buildGallery(state, oDa);
    state.oDlg->Show();
    qv::SETAPPFOCUS(state.oDlg);
    settle();
  }
  ~Gallery() {
    state.oDlg->Hide();
    state.oDlg->Destroy();
    qv::resetGuiForTesting();
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  Gallery(const Gallery&) = delete;
  Gallery& operator=(const Gallery&) = delete;

  // Dispatches everything queued (input, then the coalesced repaints) and presents.
  void settle() {
    qv::dispatchPending();
    backend.clearPresented();
  }
  template <class T>
  std::shared_ptr<T> control(const std::string& caption) const {
    for (auto& w : oDa->ChildList())
      if (auto c = std::dynamic_pointer_cast<T>(w); c && c->Caption == caption) return c;
    return nullptr;
  }
  // Pointer positions in the dialog's device pixels.
  void moveTo(int x, int y) { backend.motion(*state.oDlg, x, y); }
  // The centre of a control and a spot of the drawing area that no control covers.
  static std::pair<int, int> centre(qv::Window& w) {
    const qv::DeviceRect d = w.deviceRect();
    return {d.x + d.w / 2, d.y + d.h / 2};
  }
  static constexpr int kEmptyX = 780, kEmptyY = 10;

  qv::HeadlessBackend& backend;
  qv::MainState state;
  std::shared_ptr<qv::QvpDrawingArea> oDa;

 private:
  std::filesystem::path dir_, old_;
};

}  // namespace qvbench
