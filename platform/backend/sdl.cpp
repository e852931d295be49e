#include "platform/backend/sdl.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"

namespace qv {

SdlBackend::SdlBackend() {
  // With acceleration on, SDL puts the window surface on a GL renderer and loads the
  // whole GL stack into the process; a software surface is all we need.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Closing goes per window (SDL_WINDOWEVENT_CLOSE); SDL_QUIT must not stand in for it.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The first click on a window that is not focused still counts.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error_ = SDL_GetError();
    return;
  }
  ok_ = true;
}

SdlBackend::~SdlBackend() {
  for (auto& n : windows_) {
    if (n.shown) cairo_surface_destroy(n.shown);
    SDL_DestroyWindow(n.window);
  }
  windows_.clear();
  // The program has no other use for SDL: shut it down completely, its D-Bus link too.
  if (ok_) SDL_Quit();
}

SdlBackend::Native* SdlBackend::find(const Window& top) {
  for (auto& n : windows_)
    if (n.top == &top) return &n;
  return nullptr;
}

SdlBackend::Native* SdlBackend::findById(unsigned id) {
  for (auto& n : windows_)
    if (SDL_GetWindowID(n.window) == id) return &n;
  return nullptr;
}

SDL_Window* SdlBackend::nativeWindow(const Window& top) const {
  for (auto& n : windows_)
    if (n.top == &top) return n.window;
  return nullptr;
}

void SdlBackend::openWindow(Window& top, const std::string& title, DeviceRect r) {
  if (!ok_) return;
  if (Native* n = find(top)) {
    SDL_SetWindowTitle(n->window, title.c_str());
    SDL_SetWindowPosition(n->window, r.x, r.y);
    SDL_SetWindowSize(n->window, r.w, r.h);
    return;
  }
  SDL_Window* w = SDL_CreateWindow(title.c_str(), r.x, r.y, std::max(1, r.w), std::max(1, r.h),
                                   SDL_WINDOW_HIDDEN);
  if (!w) {
    error_ = SDL_GetError();
    return;
  }
  windows_.push_back(Native{&top, w, nullptr});
}

void SdlBackend::closeWindow(Window& top) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const Native& n) { return n.top == &top; });
  if (it == windows_.end()) return;
  if (it->shown) cairo_surface_destroy(it->shown);
  SDL_DestroyWindow(it->window);
  windows_.erase(it);
}

void SdlBackend::setTitle(Window& top, const std::string& title) {
  if (Native* n = find(top)) SDL_SetWindowTitle(n->window, title.c_str());
}

void SdlBackend::showWindow(Window& top, bool show) {
  Native* n = find(top);
  if (!n) return;
  if (show) {
    SDL_ShowWindow(n->window);
    SDL_RaiseWindow(n->window);
  } else {
    SDL_HideWindow(n->window);
  }
}

void SdlBackend::raiseWindow(Window& top) {
  if (Native* n = find(top)) SDL_RaiseWindow(n->window);
}

void SdlBackend::resizeWindow(Window& top, Size size) {
  if (Native* n = find(top))
    SDL_SetWindowSize(n->window, static_cast<int>(std::lround(size.w)),
                      static_cast<int>(std::lround(size.h)));
}

void SdlBackend::blit(Native& n, const DeviceRect& dirty) {
  if (!n.shown) return;
  SDL_Surface* dst = SDL_GetWindowSurface(n.window);
  if (!dst) return;
  cairo_surface_flush(n.shown);
  int w = cairo_image_surface_get_width(n.shown), h = cairo_image_surface_get_height(n.shown);
  DeviceRect r = intersect(dirty, DeviceRect{0, 0, std::min(w, dst->w), std::min(h, dst->h)});
  if (r.empty()) return;
  // Cairo's ARGB32 is SDL's ARGB8888 in native byte order; the blit converts to whatever
  // the window surface uses.
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
      cairo_image_surface_get_data(n.shown), w, h, 32, cairo_image_surface_get_stride(n.shown),
      SDL_PIXELFORMAT_ARGB8888);
  if (!src) return;
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  SDL_Rect from{r.x, r.y, r.w, r.h};
  SDL_Rect to = from;
  SDL_BlitSurface(src, &from, dst, &to);
  SDL_FreeSurface(src);
  SDL_UpdateWindowSurfaceRects(n.window, &from, 1);
}

void SdlBackend::present(Window& top, cairo_surface_t* backBuffer, const DeviceRect& dirty) {
  Native* n = find(top);
  if (!n || !backBuffer) return;
  if (n->shown != backBuffer) {
    if (n->shown) cairo_surface_destroy(n->shown);
    n->shown = cairo_surface_reference(backBuffer);
  }
  blit(*n, dirty);
}

namespace {

int mapKey(const SDL_Keysym& k) {
  switch (k.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return key::kEnter;
    case SDLK_ESCAPE: return key::kEscape;
    case SDLK_TAB: return (k.mod & KMOD_SHIFT) ? key::kLeft : key::kTab;
    case SDLK_LEFT: return key::kLeft;
    case SDLK_RIGHT: return key::kRight;
    case SDLK_UP: return key::kUp;
    case SDLK_DOWN: return key::kDown;
    default: break;
  }
  // Plain ASCII keys carry their character.
  if (k.sym > 0 && k.sym < 128) return k.sym;
  return 0;
}

}  // namespace

void SdlBackend::translate(const SDL_Event& e,
                           const std::function<void(const InputEvent&)>& sink) {
  InputEvent in;
  switch (e.type) {
    case SDL_MOUSEMOTION: {
      Native* n = findById(e.motion.windowID);
      if (!n) return;
      in = InputEvent{InputEvent::Kind::Motion, n->top, e.motion.x, e.motion.y, 1, 0};
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Native* n = findById(e.button.windowID);
      if (!n) return;
      auto kind = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::ButtonDown
                                                : InputEvent::Kind::ButtonUp;
      in = InputEvent{kind, n->top, e.button.x, e.button.y, e.button.button, 0};
      break;
    }
    case SDL_KEYDOWN: {
      Native* n = findById(e.key.windowID);
      int code = mapKey(e.key.keysym);
      if (!n || code == 0) return;
      in = InputEvent{InputEvent::Kind::Key, n->top, 0, 0, 1, code};
      break;
    }
    case SDL_WINDOWEVENT: {
      Native* n = findById(e.window.windowID);
      if (!n) return;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          in = InputEvent{InputEvent::Kind::Close, n->top, 0, 0, 1, 0};
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          in = InputEvent{InputEvent::Kind::FocusLost, n->top, 0, 0, 1, 0};
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          in = InputEvent{InputEvent::Kind::FocusGained, n->top, 0, 0, 1, 0};
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_SHOWN:
          // The window system lost what was on screen: show the whole buffer again.
          blit(*n, DeviceRect{0, 0, 1 << 16, 1 << 16});
          return;
        default: return;
      }
      break;
    }
    default:
      // SDL_QUIT among them: closing is handled per window above.
      return;
  }
  sink(in);
}

bool SdlBackend::pumpInput(bool block, const std::function<void(const InputEvent&)>& sink) {
  if (!ok_) return false;
  SDL_Event e;
  if (block) {
    if (windows_.empty()) return false;
    if (SDL_WaitEvent(&e)) translate(e, sink);
  }
  while (SDL_PollEvent(&e)) translate(e, sink);
  return true;
}

bool SdlBackend::captureMouse(Window& top, bool capture) {
  if (!find(top)) return false;
  return SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE) == 0;
}

Size SdlBackend::screenSize() const {
  SDL_Rect r;
  if (ok_ && SDL_GetDisplayBounds(0, &r) == 0) return Size{double(r.w), double(r.h)};
  return Size{1280, 1024};
}

std::unique_ptr<Backend> makeDefaultBackend(bool forceHeadless, std::string* why) {
  auto headless = [&](const std::string& reason) -> std::unique_ptr<Backend> {
    if (why) *why = reason;
    return std::make_unique<HeadlessBackend>();
  };
  if (forceHeadless) return headless("headless: asked for");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland))
    return headless("headless: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
  auto sdl = std::make_unique<SdlBackend>();
  if (!sdl->ok()) return headless("headless: SDL cannot open the display: " + sdl->error());
  if (why) {
    const char* driver = SDL_GetCurrentVideoDriver();
    *why = std::string("sdl: ") + (driver ? driver : "unknown video driver");
  }
  return sdl;
}

}  // namespace qv
