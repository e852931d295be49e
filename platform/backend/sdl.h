// The SDL backend: a real SDL window per top-level window. The back buffer is shown
// through the window surface (framebuffer acceleration off, so no GL stack is loaded),
// and only the changed rectangles are updated.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/backend.h"

struct SDL_Window;
union SDL_Event;

namespace qv {

class SdlBackend : public Backend {
 public:
  // Starts SDL's video subsystem; ok() is false (and error() says why) when it cannot.
  SdlBackend();
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

  std::string name() const override { return "sdl"; }
  bool headless() const override { return false; }
  void openWindow(Window& top, const std::string& title, DeviceRect screenRect) override;
  void closeWindow(Window& top) override;
  void setTitle(Window& top, const std::string& title) override;
  void showWindow(Window& top, bool show) override;
  void raiseWindow(Window& top) override;
  void present(Window& top, cairo_surface_t* backBuffer, const DeviceRect& dirty) override;
  bool pumpInput(bool block, const std::function<void(const InputEvent&)>& sink) override;
  bool captureMouse(Window& top, bool capture) override;
  Size screenSize() const override;
  void resizeWindow(Window& top, Size size) override;

  // The SDL window of a top-level window, null when it has none (for tests).
  SDL_Window* nativeWindow(const Window& top) const;

 private:
  struct Native {
    Window* top = nullptr;
    SDL_Window* window = nullptr;
    cairo_surface_t* shown = nullptr;  // the back buffer last presented (a reference)
  };
  Native* find(const Window& top);
  Native* findById(unsigned id);
  void blit(Native& n, const DeviceRect& r);
  void translate(const SDL_Event& e, const std::function<void(const InputEvent&)>& sink);

  bool ok_ = false;
  std::string error_;
  std::vector<Native> windows_;
};

}  // namespace qv
