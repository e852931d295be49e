// Scripted headless runs. A script has one command a line; "#" starts a comment:
//   move X Y       the pointer moves to X Y
//   down / up      the left button goes down / up where the pointer is
//   click X Y      move, down, up
//   focusout       the dialog loses the input focus
//   answer CODE    the next box returns CODE (without it a box takes its default button)
//   shot FILE.png  the dialog as it looks once the event queue is idle
//   close          a close request for the dialog
// X and Y are pixels of the dialog's client area, origin at its top-left corner, as in a
// screenshot.
#pragma once

#include <string>
#include <vector>

namespace qv {

struct ScriptCommand {
  enum class Kind { Move, Down, Up, Click, FocusOut, Answer, Shot, Close };
  Kind kind = Kind::Close;
  int x = 0, y = 0;
  int code = 0;
  std::string file;
  int line = 0;  // where it stands in the script, from 1
};

struct ScriptParse {
  std::vector<ScriptCommand> commands;
  int errorLine = 0;  // 0: the whole script was read
  std::string error;
};
ScriptParse parseScript(const std::string& text);

// The built-in tour of a run without a display: start, hover on an active caption, a press,
// three colour steps and a message box, with a screenshot after each step in `dir`.
std::vector<ScriptCommand> builtInTour(const std::string& dir);

}  // namespace qv
