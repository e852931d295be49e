// Numbered settings and line output (console and alternate file).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>

#include "platform/runtime/internal.h"
#include "platform/runtime/runtime.h"

namespace qv {

namespace {

// Settings are numbered 0 to kMaxSetting; the ones the platform gives a meaning to are
// checked, the others hold whatever they are given.
constexpr int kMaxSetting = 127;

struct OutputState {
  std::map<int, Value> values;
  int altFd = -1;          // the open alternate file, -1 when none
  std::string altName;     // SET(19) as it reads back
  int row = 0, col = 0;    // the text cursor, moved by line output and SETPOS
};

OutputState& out() {
  static OutputState s;
  return s;
}

void startupValues(std::map<int, Value>& v) {
  v.clear();
  v[setting::kDateFormat] = Value("mm/dd/yy");
  v[setting::kConsole] = Value(true);
  v[setting::kAlternate] = Value(false);
  v[setting::kAlternateFile] = Value("");
  v[setting::kExtra] = Value(false);
  v[setting::kPrinter] = Value(false);
  v[setting::kEpoch] = Value(false);
  v[setting::kOptimize] = Value(0);
}

std::map<int, Value>& values() {
  OutputState& s = out();
  if (s.values.empty()) startupValues(s.values);
  return s.values;
}

bool isSwitch(int n) {
  return n == setting::kConsole || n == setting::kAlternate || n == setting::kExtra || n == setting::kPrinter ||
         n == setting::kEpoch;
}

// "ON"/"OFF" (any case, blanks around ignored) or a logical.
bool switchValue(const Value& v, bool& on) {
  if (v.isLogical()) {
    on = v.logical();
    return true;
  }
  if (!v.isText()) return false;
  std::string t = v.text();
  while (!t.empty() && t.back() == ' ') t.pop_back();
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  t = t.substr(i);
  if (namesEqual(t, "ON")) {
    on = true;
    return true;
  }
  if (namesEqual(t, "OFF")) {
    on = false;
    return true;
  }
  return false;
}

Value settingError(int n, const Value& v, const char* why) {
  return detail::argumentError("SET", {Value(n), v}, why, Value());
}

// Writes all of `data` to fd. A failed write is a runtime error (gen::kWrite with the
// system's code); a retry writes what is left, the default drops it.
void writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  ErrorPtr error;
  while (done < data.size()) {
    ssize_t w = ::write(fd, data.data() + done, data.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    int err = w < 0 ? errno : EIO;
    if (!error) {
      ErrorSpec fault;
      fault.genCode = gen::kWrite;
      fault.subSystem = "BASE";
      fault.description = "Write error";
      fault.operation = "QOUT";
      fault.fileName = out().altName;
      fault.canRetry = true;
      error = makeError(fault);
    }
    error->osCode = err;
    if (raiseError(error).kind != ErrorAnswer::Kind::Retry) return;
  }
}

// Opens (or creates) the alternate file. Never through a symbolic link: a planted link
// could otherwise make the program overwrite a file elsewhere. A file without any write
// permission is read-only and is refused even where the system would let this process
// write it (as root): a read-only file is never overwritten.
int openAlternate(const std::string& name, bool additive, int& err) {
  if (name.find('\0') != std::string::npos) {
    err = EINVAL;
    return -1;
  }
  // O_NONBLOCK keeps a FIFO from hanging the open; it is refused below anyway. The file
  // is truncated only after these checks.
  int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (additive ? O_APPEND : 0);
  int fd;
  do {
    fd = ::open(name.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    err = errno;
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    // Only regular files: a FIFO or a device would block or misbehave.
    err = EINVAL;
    ::close(fd);
    return -1;
  }
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    err = EACCES;
    ::close(fd);
    return -1;
  }
  if (!additive && ::ftruncate(fd, 0) != 0) {
    err = errno;
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// SET(19, name, additive). The new file is opened before the old one is closed, so that
// a name that cannot be opened leaves the current file and setting as they were.
void setAlternateFile(const Value& v, const Value& lAdditive) {
  OutputState& s = out();
  std::string name = v.text();
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.empty()) {
    detail::closeAlternateFile();
    s.altName.clear();
    values()[setting::kAlternateFile] = Value("");
    return;
  }
  bool additive = lAdditive.isLogical() ? lAdditive.logical() : true;
  int fd = -1;
  int err = 0;
  ErrorSpec fault;
  fault.genCode = gen::kCreate;
  fault.subSystem = "BASE";
  fault.description = "Create error";
  fault.operation = "SET";
  fault.args = Value::array({Value(setting::kAlternateFile), v, lAdditive});
  fault.fileName = name;
  fault.canRetry = true;
  ErrorPtr error;
  for (;;) {
    fd = openAlternate(name, additive, err);
    if (fd >= 0) break;
    if (!error) error = makeError(fault);
    error->osCode = err;
    if (raiseError(error).kind != ErrorAnswer::Kind::Retry) return;
  }
  detail::closeAlternateFile();
  s.altFd = fd;
  s.altName = name;
  values()[setting::kAlternateFile] = Value(name);
}

void emit(const std::string& text) {
  OutputState& s = out();
  if (text.empty()) return;
  if (values()[setting::kConsole].logical()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  if (values()[setting::kAlternate].logical() && s.altFd >= 0) writeAll(s.altFd, text);
}

std::string joined(const std::vector<Value>& values) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) line += ' ';
    line += values[i].isText() ? values[i].text() : displayForm(values[i]);
  }
  return line;
}

// The cursor stays within these bounds however much is written.
constexpr int kMaxCursor = 1 << 30;

void advance(const std::string& text) {
  OutputState& s = out();
  std::size_t nl = text.rfind('\n');
  if (nl == std::string::npos) {
    s.col = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(s.col) + text.size(), kMaxCursor));
    return;
  }
  for (char c : text)
    if (c == '\n' && s.row < kMaxCursor) ++s.row;
  s.col = static_cast<int>(std::min<std::size_t>(text.size() - nl - 1, kMaxCursor));
}

}  // namespace

namespace detail {

void closeAlternateFile() {
  OutputState& s = out();
  if (s.altFd >= 0) {
    ::fsync(s.altFd);
    ::close(s.altFd);
    s.altFd = -1;
  }
}

}  // namespace detail

Value SET(int n) {
  if (n < 0 || n > kMaxSetting) return settingError(n, Value(), "No such setting");
  auto& v = values();
  auto it = v.find(n);
  return it == v.end() ? Value() : it->second;
}

Value SET(int n, const Value& v) { return SET(n, v, Value()); }

Value SET(int n, const Value& v, const Value& lAdditive) {
  if (n < 0 || n > kMaxSetting) return settingError(n, v, "No such setting");
  Value previous = SET(n);
  if (!lAdditive.isNil() && !lAdditive.isLogical()) {
    settingError(n, lAdditive, "Argument is not a logical value");
    return previous;
  }
  if (isSwitch(n)) {
    bool on = false;
    if (!switchValue(v, on)) {
      settingError(n, v, "Setting takes ON, OFF or a logical value");
      return previous;
    }
    values()[n] = Value(on);
  } else if (n == setting::kAlternateFile) {
    if (!v.isText() && !v.isNil()) {
      settingError(n, v, "Setting takes a file name");
      return previous;
    }
    setAlternateFile(v, lAdditive);
  } else if (n == setting::kDateFormat) {
    if (!v.isText()) {
      settingError(n, v, "Setting takes a date format text");
      return previous;
    }
    values()[n] = v;
  } else {
    values()[n] = v;
  }
  return previous;
}

void resetSettings() {
  detail::closeAlternateFile();
  OutputState& s = out();
  s.altName.clear();
  startupValues(s.values);
}

void QOUT(const std::vector<Value>& values) {
  std::string text = "\n" + joined(values);
  emit(text);
  advance(text);
}

void QQOUT(const std::vector<Value>& values) {
  std::string text = joined(values);
  emit(text);
  advance(text);
}

void OUTERR(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void TONE(double, double) {
  // No sound device is assumed; a terminal on standard error gets its bell.
  if (::isatty(STDERR_FILENO)) OUTERR("\a");
}

int ROW() { return out().row; }
int COL() { return out().col; }

void SETPOS(int row, int col) {
  OutputState& s = out();
  s.row = std::clamp(row, 0, kMaxCursor);
  s.col = std::clamp(col, 0, kMaxCursor);
  // Move a real terminal's cursor too; redirected output gets no escape codes.
  if (values()[setting::kConsole].logical() && ::isatty(STDOUT_FILENO)) {
    std::printf("\x1b[%d;%dH", s.row + 1, s.col + 1);
    std::fflush(stdout);
  }
}

}  // namespace qv
