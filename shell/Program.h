// The program's own routines: the entry point and the routines it hands to the platform
// in their roles, the demo window with its event loop, the colour step and the gallery.
#pragma once

#include <memory>

#include "platform/gui/window.h"
#include "platform/runtime/value.h"

namespace qv {

class ShadowText;

// The process entry point: 999 when the platform is older than 1.82.0 (nothing runs),
// else the exit code the program ended with (0, or 1 after a program-ending error).
int EntryPoint();

// Start-up roles.
Value AppSys();
Value DbeSys();
Value Main();
Value AppExit();
void callback();  // registers AppExit in the platform's exit-procedure list

// Main's state that the colour-cycling callbacks share by reference.
struct MainState {
  std::shared_ptr<QvpDialog> oDlg;
  Value aColors;  // array of eight packed RGB colours
  Value nInc;     // index of the current colour, from 1
  std::shared_ptr<ShadowText> oSay;
};

// The colour table, in element order.
Value makeColourTable();
// Advances nInc through aColors (from NIL or past the last element back to 1) and sets
// the dialog's drawing area to that colour.
Value btnHandle(const std::shared_ptr<QvpDialog>& oDlg, const Value& aColors, Value& nInc);
// Fills the drawing area with the nine controls of the gallery.
void buildGallery(MainState& state, const std::shared_ptr<QvpDrawingArea>& oDa);

// Called by Main once the dialog is shown, before the event loop (null: nothing). The
// command line's headless runs use it to find the window they drive.
void setMainShownHook(std::function<void(const MainState&)> hook);

}  // namespace qv
