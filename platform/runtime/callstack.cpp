// The program's call stack and the operating system's error texts.
//
// The program's routines register themselves (QV_ROUTINE) in a thread-local list of
// {name, line}. This was chosen over unwinding the machine stack because the error dialog
// and the log must show the program's own routine names and the lines they have reached:
// that needs no debug information, is not confused by inlining or the platform's internal
// frames, and costs a push and a pop per call.
#include <cstring>

#include "platform/runtime/runtime.h"

namespace qv {

namespace {

struct Frame {
  const char* name;
  int line;
};

std::vector<Frame>& frames() {
  thread_local std::vector<Frame> stack;
  return stack;
}

// The frame `level` steps out from the innermost, or null.
const Frame* frameAt(int level) {
  auto& s = frames();
  if (level < 0 || static_cast<std::size_t>(level) >= s.size()) return nullptr;
  return &s[s.size() - 1 - static_cast<std::size_t>(level)];
}

// strerror_r comes in two shapes; these overloads take whichever the C library has.
[[maybe_unused]] std::string fromStrerror(int result, const char* buf) { return result == 0 ? buf : ""; }
[[maybe_unused]] std::string fromStrerror(const char* result, const char*) { return result ? result : ""; }

}  // namespace

ProcFrame::ProcFrame(const char* name, int line) { frames().push_back({name ? name : "", line}); }

ProcFrame::~ProcFrame() {
  if (!frames().empty()) frames().pop_back();
}

void setProcLine(int line) {
  if (!frames().empty()) frames().back().line = line;
}

std::string PROCNAME(int level) {
  const Frame* f = frameAt(level);
  return f ? f->name : "";
}

int PROCLINE(int level) {
  const Frame* f = frameAt(level);
  return f ? f->line : 0;
}

std::string DOSERRORMESSAGE(int code) {
  char buf[256] = {0};
  std::string text = fromStrerror(strerror_r(code, buf, sizeof buf), buf);
  return text.empty() ? "Unknown error " + std::to_string(code) : text;
}

}  // namespace qv
