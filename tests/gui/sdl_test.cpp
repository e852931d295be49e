// The SDL backend on SDL's offscreen "dummy" video driver: what reaches the window surface
// when presenting, and how SDL's events become the window layer's input.
#include <SDL.h>

#include <cstdlib>

#include "gui_fixture.h"
#include "platform/backend/sdl.h"

namespace qv::testing {
namespace {

class SdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto b = std::make_unique<SdlBackend>();
    if (!b->ok()) GTEST_SKIP() << "SDL's dummy video driver: " << b->error();
    sdl = b.get();
    setBackend(std::move(b));
    dlg = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({64, 48}));
    dlg->Create();
    dlg->Show();
    win = sdl->nativeWindow(*dlg);
    ASSERT_NE(win, nullptr);
  }
  void TearDown() override {
    resetGuiForTesting();
    installHeadlessBackend();  // shuts SDL down
    unsetenv("SDL_VIDEODRIVER");
  }
  std::vector<InputEvent> pump() {
    std::vector<InputEvent> got;
    sdl->pumpInput(false, [&](const InputEvent& e) { got.push_back(e); });
    return got;
  }
  void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  SDL_Event windowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(win);
    e.window.event = what;
    return e;
  }
  SDL_Event keyDown(SDL_Keycode sym, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(win);
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
  }

  SdlBackend* sdl = nullptr;
  std::shared_ptr<QvpDialog> dlg;
  SDL_Window* win = nullptr;
};

Uint32 surfacePixel(SDL_Window* w, int x, int y) {
  SDL_Surface* s = SDL_GetWindowSurface(w);
  Uint32 raw = *reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 4);
  Uint8 r, g, b;
  SDL_GetRGB(raw, s->format, &r, &g, &b);
  return Uint32(r) << 16 | Uint32(g) << 8 | b;
}

TEST_F(SdlTest, PresentingCopiesOnlyTheChangedRectangleToTheWindowSurface) {
  dlg->DrawingArea()->SetColorBG(rgb(255, 0, 0));
  dispatchPending();
  EXPECT_EQ(surfacePixel(win, 0, 0), 0xFF0000u);
  EXPECT_EQ(surfacePixel(win, 63, 47), 0xFF0000u);

  auto p = New<QvpStatic>(dlg->DrawingArea(), nullptr, Value::array({0, 0}), Value::array({8, 8}));
  p->Create();
  p->SetColorBG(rgb(0, 0, 255));
  dispatchPending();
  EXPECT_EQ(surfacePixel(win, 0, 47), 0x0000FFu) << "lower-left corner";
  // Paint the buffer behind the window layer's back: not presented, so not on screen.
  cairo_t* cr = cairo_create(dlg->backBuffer());
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  p->InvalidateRect();
  dispatchPending();
  EXPECT_EQ(surfacePixel(win, 0, 47), 0x0000FFu) << "the static's own area";
  EXPECT_EQ(surfacePixel(win, 30, 20), 0xFF0000u) << "outside it nothing was presented";
}

TEST_F(SdlTest, SdlEventsBecomeInputOfTheirWindow) {
  struct Case {
    SDL_Keycode sym;
    Uint16 mod;
    int code;
  } keys[] = {
      {SDLK_RETURN, 0, key::kEnter}, {SDLK_KP_ENTER, 0, key::kEnter}, {SDLK_ESCAPE, 0, key::kEscape},
      {SDLK_TAB, 0, key::kTab},      {SDLK_TAB, KMOD_LSHIFT, key::kLeft}, {SDLK_LEFT, 0, key::kLeft},
      {SDLK_RIGHT, 0, key::kRight},  {SDLK_UP, 0, key::kUp},          {SDLK_DOWN, 0, key::kDown},
      {SDLK_a, 0, 'a'},
  };
  for (const auto& k : keys) {
    push(keyDown(k.sym, k.mod));
    auto got = pump();
    ASSERT_EQ(got.size(), 1u) << k.sym;
    EXPECT_EQ(got[0].kind, InputEvent::Kind::Key);
    EXPECT_EQ(got[0].key, k.code) << k.sym;
    EXPECT_EQ(got[0].window, dlg.get());
  }
  push(keyDown(SDLK_F5));
  EXPECT_TRUE(pump().empty()) << "keys without a code are not passed on";

  SDL_Event down{};
  down.type = SDL_MOUSEBUTTONDOWN;
  down.button.windowID = SDL_GetWindowID(win);
  down.button.button = SDL_BUTTON_LEFT;
  down.button.x = 7;
  down.button.y = 9;
  push(down);
  push(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  auto got = pump();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].kind, InputEvent::Kind::ButtonDown);
  EXPECT_EQ(got[0].button, 1);
  EXPECT_EQ(got[0].x, 7);
  EXPECT_EQ(got[0].y, 9);
  EXPECT_EQ(got[1].kind, InputEvent::Kind::FocusLost);
}

TEST_F(SdlTest, TheCloseButtonClosesItsWindowAndQuitDoesNotStandInForIt) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  push(quit);
  EXPECT_TRUE(pump().empty());

  push(windowEvent(SDL_WINDOWEVENT_CLOSE));
  Value mp1, mp2;
  ObjectPtr target;
  EXPECT_EQ(APPEVENT(mp1, mp2, target), event::kClose);
  EXPECT_EQ(target, dlg);
}

}  // namespace
}  // namespace qv::testing
