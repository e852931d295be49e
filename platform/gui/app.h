// The event queue, focus and the application's backend.
//
// APPEVENT blocks until there is an event with a target window: input first (in arrival
// order), then repaints (one per window, coalesced). Before it blocks it presents every
// changed part of the back buffers through the backend.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/backend.h"
#include "platform/gui/window.h"
#include "platform/runtime/value.h"

namespace qv {

// Mouse input goes to the window holding the capture, else to the topmost, deepest window
// under the pointer, with mp1 {x, y} in the target's own coordinates. While a box is up,
// input for other windows is dropped. With no window left and no input possible there is
// nothing to wait for: it then returns kNone with oQVP null instead of blocking forever.
int APPEVENT(Value& mp1, Value& mp2, ObjectPtr& oQVP);
// Gives the input focus to a top-level window; returns the previous holder (may be null).
ObjectPtr SETAPPFOCUS(const ObjectPtr& window);
ObjectPtr focusedWindow();

// Queues an event for a window (used by the window layer and by backends).
void postEvent(int code, const Value& mp1, const Value& mp2, const WindowPtr& target);
// Queues a repaint of `w` (coalesced with any queued repaint of the same window).
void postPaint(const WindowPtr& w);
// Queues a repaint of part of `w` (device pixels); parts queued for one window unite, and
// a whole repaint queued for it covers them.
void postPaintPart(const WindowPtr& w, const DeviceRect& part);
bool eventsPending();
// Drops every queued event (for tests).
void clearEvents();

// The backend that native windows and input go through. Until one is set, a headless
// backend is used.
Backend& backend();
void setBackend(std::unique_ptr<Backend> b);
// A headless backend when there is no display (or `forceHeadless`), else SDL.
std::unique_ptr<Backend> makeDefaultBackend(bool forceHeadless, std::string* why = nullptr);

// Dispatches queued events (APPEVENT + handleEvent) until none is left, without blocking.
// For tests and for "--shot".
void dispatchPending();

// The top-level windows that exist now, oldest first.
std::vector<WindowPtr> topLevelWindows();

// The back buffer of the top-level window `w` lies in (null when it has none).
cairo_surface_t* backBufferOf(Window& w);
// Writes the back buffer of the top-level window `w` lies in as a PNG file ("--shot").
// False, with `why` filled, when there is no buffer or the file cannot be written.
bool writeWindowPng(Window& w, const std::string& path, std::string* why = nullptr);

// For tests: destroys every top-level window and forgets queued events, the focus, the
// capture and open boxes. The backend stays.
void resetGuiForTesting();

}  // namespace qv
