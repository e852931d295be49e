// Modal message boxes drawn by the platform: real top-level windows with the text (";" and
// carriage returns break lines), an icon, the buttons and the keyboard (Enter the default
// button, Escape the cancel button where there is one, Tab and the arrows move between
// buttons). A box runs a nested event loop: other windows keep repainting and get no input.
// In headless runs a responder answers each box; every box shown is recorded.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/geometry.h"
#include "platform/runtime/value.h"

namespace qv {

// Button sets and result codes.
namespace box {
inline constexpr int kOk = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;

inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultAbort = 3;
inline constexpr int kResultRetry = 4;
inline constexpr int kResultIgnore = 5;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;

inline constexpr int kIconStop = 16;
inline constexpr int kIconQuestion = 32;
inline constexpr int kIconExclamation = 48;
inline constexpr int kIconInformation = 64;

// A responder's answer meaning "no answer yet": the box stays up, its loop dispatches
// whatever input the responder injected into the box window, then asks again.
inline constexpr int kKeepOpen = -1;
}  // namespace box

// Key codes carried by keyboard events.
namespace key {
inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;
inline constexpr int kTab = 9;
inline constexpr int kLeft = 0x1001;
inline constexpr int kRight = 0x1002;
inline constexpr int kUp = 0x1003;
inline constexpr int kDown = 0x1004;
}  // namespace key

// One box as it was shown.
struct BoxRecord {
  std::string kind;                  // "MSGBOX", "ALERT" or "CONFIRMBOX"
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // labels, in order
  int result = 0;                    // the code returned
};

// Answers a box in headless runs: returns the result code, or 0 for the default button.
using BoxResponder = std::function<int(const BoxRecord&)>;
void setBoxResponder(BoxResponder responder);  // empty: every box takes its default
const std::vector<BoxRecord>& shownBoxes();
void clearShownBoxes();
// Called after each box with its record (the demo prints "box: ..." lines from it).
void setBoxObserver(std::function<void(const BoxRecord&)> observer);
// MSGBOX's title when none is given. Until set: the program's file name without its
// directory and extension.
void setBoxDefaultTitle(std::string title);
std::string boxDefaultTitle();
// Where a text-mode ALERT writes and reads (default: standard output and input).
void setAlertStreams(std::istream* in, std::ostream* out);
class Window;
// The box window now up (the newest when boxes nest), or null.
std::shared_ptr<Window> currentBoxWindow();
// Button `index` (from 0) of a box window in its device pixels; empty when there is none.
DeviceRect boxButtonRect(const Window& box, int index);

// MSGBOX(cText [, cTitle]): an OK box; returns 1. The default title is the application's.
Value MSGBOX(const Value& text, const Value& title = {});
// ALERT(cText, aButtons): a box with one button per element; the position (from 1) of the
// chosen one, 0 when the box was left without a choice. In a text-mode application it
// shows on the terminal and reads the choice from standard input (0 at end of input).
Value ALERT(const Value& text, const Value& buttons = {});
// CONFIRMBOX(oOwner, cText, cTitle, nButtons, nStyle): result code of the button pressed.
Value CONFIRMBOX(const Value& owner, const Value& text, const Value& title, const Value& buttons,
                 const Value& style);

}  // namespace qv
