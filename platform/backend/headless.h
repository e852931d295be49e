// The headless backend: top-level windows exist only as their back buffers, nothing is
// shown, and input is whatever a test or script injects, in device pixels of a top-level
// window (y down from the top-left corner of its client area).
//
// When the application would wait for input and none is queued, the idle handler runs (it
// may inject the next input). When that brings nothing either, every open window gets a
// close request, so that a run ends instead of hanging.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/backend.h"

namespace qv {

class HeadlessBackend : public Backend {
 public:
  explicit HeadlessBackend(Size screen = {1280, 1024});

  std::string name() const override { return "headless"; }
  bool headless() const override { return true; }
  void openWindow(Window& top, const std::string& title, DeviceRect screenRect) override;
  void closeWindow(Window& top) override;
  void setTitle(Window& top, const std::string& title) override;
  void showWindow(Window& top, bool show) override;
  void raiseWindow(Window& top) override;
  void present(Window& top, cairo_surface_t* backBuffer, const DeviceRect& dirty) override;
  bool pumpInput(bool block, const std::function<void(const InputEvent&)>& sink) override;
  bool captureMouse(Window& top, bool capture) override;
  Size screenSize() const override { return screen_; }
  void resizeWindow(Window& top, Size size) override;

  // Synthetic input in the top-level window's device pixels.
  void inject(const InputEvent& e);
  void motion(Window& top, int x, int y);
  void buttonDown(Window& top, int x, int y, int button = 1);
  void buttonUp(Window& top, int x, int y, int button = 1);
  void click(Window& top, int x, int y);  // down and up at one place
  void close(Window& top);
  void focusLost(Window& top);
  void focusGained(Window& top);
  void key(Window& top, int code);
  // The same at a point in any window's own coordinates (y up from its lower-left
  // corner), sent to its top-level window.
  void motionAt(Window& w, Point p);
  void lbDownAt(Window& w, Point p);
  void lbUpAt(Window& w, Point p);
  void clickAt(Window& w, Point p);
  bool hasPendingInput() const { return !pending_.empty(); }

  // Runs when the application would block with no input queued.
  void setIdleHandler(std::function<void()> handler);
  // Makes every capture request fail (the window layer then answers false).
  void setCaptureFails(bool fails) { captureFails_ = fails; }
  // Capture requests (not releases) since the start or the last reset.
  int captureAttempts() const { return captureAttempts_; }
  void resetCaptureAttempts() { captureAttempts_ = 0; }

  struct WindowInfo {
    const Window* window = nullptr;
    std::string title;
    DeviceRect screenRect;
    bool shown = false;
    int raised = 0;
  };
  // Null when `top` has no open native window here.
  const WindowInfo* info(const Window& top) const;
  struct Presented {
    const Window* window = nullptr;
    DeviceRect rect;
  };
  const std::vector<Presented>& presented() const { return presented_; }
  void clearPresented() { presented_.clear(); }

 private:
  WindowInfo* find(const Window& top);
  bool deliver(const std::function<void(const InputEvent&)>& sink);
  InputEvent at(Window& w, Point p, InputEvent::Kind kind);

  Size screen_;
  std::vector<WindowInfo> windows_;
  std::deque<InputEvent> pending_;
  std::function<void()> idle_;
  bool inIdle_ = false;
  bool captureFails_ = false;
  int captureAttempts_ = 0;
  std::vector<Presented> presented_;
};

// Makes a new headless backend the application's backend and returns it.
HeadlessBackend& installHeadlessBackend(Size screen = {1280, 1024});

}  // namespace qv
