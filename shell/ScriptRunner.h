// Drives the gallery on the headless backend from a list of script commands: each time the
// event queue runs dry, the next command feeds input, answers a box or takes a screenshot.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/Script.h"

namespace qv {

class QvpDialog;
class HeadlessBackend;

// Installs the application's backend: headless when forced or when there is no display
// (`why` then says why), else SDL. Returns true for headless.
bool chooseBackend(bool forceHeadless, std::string* why);

class ScriptRunner {
 public:
  // On a headless backend: feeds `commands` to the dialog that Main shows. Every box shown
  // prints "box: TITLE | TEXT | BUTTONS -> RESULT" on standard output, in any backend.
  ScriptRunner(std::vector<ScriptCommand> commands, bool headless);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs commands until one of them gives the application input (or they run out).
  void onIdle();

 private:
  std::vector<ScriptCommand> commands_;
  std::size_t next_ = 0;
  std::weak_ptr<QvpDialog> dialog_;
  HeadlessBackend* backend_ = nullptr;
  int pendingAnswer_ = -1;  // the code the next box returns, -1 for its default
  int x_ = 0, y_ = 0;       // where the pointer is
};

}  // namespace qv
