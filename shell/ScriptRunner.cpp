#include "shell/ScriptRunner.h"

#include <cstdio>

#include "platform/backend/headless.h"
#include "platform/draw/png.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "shell/Program.h"

namespace qv {

bool chooseBackend(bool forceHeadless, std::string* why) {
  auto b = makeDefaultBackend(forceHeadless, why);
  const bool headless = b->headless();
  setBackend(std::move(b));
  return headless;
}

namespace {
std::string joined(const std::vector<std::string>& parts, const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? sep : "") + parts[i];
  return out;
}
}  // namespace

ScriptRunner::ScriptRunner(std::vector<ScriptCommand> commands, bool headless)
    : commands_(std::move(commands)) {
  setBoxObserver([](const BoxRecord& r) {
    std::printf("box: %s | %s | %s -> %d\n", r.title.c_str(), r.text.c_str(), joined(r.buttons, ",").c_str(),
                r.result);
    std::fflush(stdout);
  });
  if (!headless) return;
  backend_ = dynamic_cast<HeadlessBackend*>(&backend());
  if (!backend_) return;
  setBoxResponder([this](const BoxRecord&) {
    const int code = pendingAnswer_ < 0 ? 0 : pendingAnswer_;
    pendingAnswer_ = -1;
    return code;
  });
  setMainShownHook([this](const MainState& s) { dialog_ = s.oDlg; });
  backend_->setIdleHandler([this] { onIdle(); });
}

ScriptRunner::~ScriptRunner() {
  setBoxObserver({});
  setBoxResponder({});
  setMainShownHook({});
  if (backend_) backend_->setIdleHandler({});
}

void ScriptRunner::onIdle() {
  auto dlg = dialog_.lock();
  if (!dlg) return;
  while (next_ < commands_.size()) {
    const ScriptCommand& c = commands_[next_++];
    using K = ScriptCommand::Kind;
    switch (c.kind) {
      case K::Move:
        x_ = c.x, y_ = c.y;
        backend_->motion(*dlg, x_, y_);
        return;
      case K::Down:
        backend_->buttonDown(*dlg, x_, y_);
        return;
      case K::Up:
        backend_->buttonUp(*dlg, x_, y_);
        return;
      case K::Click:
        x_ = c.x, y_ = c.y;
        backend_->motion(*dlg, x_, y_);
        backend_->click(*dlg, x_, y_);
        return;
      case K::FocusOut:
        backend_->focusLost(*dlg);
        return;
      case K::Close:
        backend_->close(*dlg);
        return;
      case K::Answer:
        pendingAnswer_ = c.code;
        break;
      case K::Shot: {
        cairo_surface_t* buffer = dlg->backBuffer();
        const Size s = dlg->CurrentSize();
        if (buffer && writePng(buffer, DeviceRect{0, 0, int(s.w), int(s.h)}, c.file))
          std::printf("shot: %s\n", c.file.c_str());
        else
          std::fprintf(stderr, "gallery: could not write the screenshot %s\n", c.file.c_str());
        std::fflush(stdout);
        break;
      }
    }
  }
}

}  // namespace qv
