// Start-up roles, exit procedures, version and application facts.
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/runtime/internal.h"
#include "platform/runtime/runtime.h"

namespace qv {

namespace {

constexpr Version kPlatformVersion{2, 0, 3};

struct ProgramState {
  std::optional<Version> versionOverride;
  std::vector<std::function<void()>> exitProcedures;
  int appType = kAppTypeGui;
  ObjectPtr appWindow;
};

ProgramState& program() {
  static ProgramState s;
  return s;
}

void reportStray(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::fflush(stderr);
}

// Runs one routine of the program or of the exit list and turns everything it can throw
// into the exit code; false when the routine ended the program.
bool runGuarded(const std::function<void()>& fn) {
  try {
    fn();
    return true;
  } catch (const QuitSignal&) {
    // _QUIT: the exit code is ERRORLEVEL as it stands.
  } catch (const BreakSignal&) {
    // A break that no protected block received ends the program; it counts as a failure
    // unless the program already chose an exit code.
    reportStray("Break outside any protected block: the program ends");
    if (ERRORLEVEL() == 0) ERRORLEVEL(1);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Unhandled exception: %s\n", e.what());
    std::fflush(stderr);
    ERRORLEVEL(1);
  } catch (...) {
    reportStray("Unhandled exception");
    ERRORLEVEL(1);
  }
  return false;
}

}  // namespace

Version platformVersion() { return program().versionOverride.value_or(kPlatformVersion); }

void setPlatformVersionForTesting(std::optional<Version> v) { program().versionOverride = v; }

std::string VERSION() {
  Version v = platformVersion();
  return std::to_string(v.major) + "." + std::to_string(v.minor);
}

std::string VERSION(int part) {
  Version v = platformVersion();
  switch (part) {
    case 1: return std::to_string(v.major);
    case 2: return std::to_string(v.minor);
    case 3: return std::to_string(v.revision);
    default: return VERSION();
  }
}

std::string OS() {
  struct utsname u {};
  if (::uname(&u) != 0) return "Unknown";
  return std::string(u.sysname) + " " + u.release + " " + u.machine;
}

std::string APPNAME(bool full) {
  std::string path(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return "";
  path.resize(static_cast<std::size_t>(n));
  if (full) return path;
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int startProgram(const Roles& roles) {
  ERRORLEVEL(0);
  ++detail::programDepth();
  // The error system comes first so that every later routine's errors reach it; the main
  // routine comes last. A quit or stray break in any of them skips the rest, but the exit
  // procedures still run: they are the program's last chance to save its data.
  runGuarded([&] {
    if (roles.errorSys) roles.errorSys();
    if (roles.dbeSys) roles.dbeSys();
    if (roles.appSys) roles.appSys();
    if (roles.registerExit) roles.registerExit();
    if (roles.main) roles.main();
  });
  runExitProcedures();
  detail::closeAlternateFile();
  std::fflush(stdout);
  --detail::programDepth();
  return ERRORLEVEL();
}

void addExitProcedure(std::function<void()> procedure) {
  if (procedure) program().exitProcedures.push_back(std::move(procedure));
}

// Each procedure runs once: the list is emptied as it runs, so a second call finds nothing
// left to do (unless procedures were registered since).
void runExitProcedures() {
  ProgramState& s = program();
  std::vector<std::function<void()>> procedures;
  procedures.swap(s.exitProcedures);
  // Each procedure runs even when an earlier one quit or broke off.
  ++detail::programDepth();
  for (auto& p : procedures) runGuarded(p);
  --detail::programDepth();
}

int APPTYPE() { return program().appType; }
void setAppType(int type) { program().appType = type; }

ObjectPtr SETAPPWINDOW() { return program().appWindow; }

ObjectPtr SETAPPWINDOW(const ObjectPtr& win) {
  ObjectPtr previous = program().appWindow;
  program().appWindow = win;
  return previous;
}

ObjectPtr ROOTCRT() {
  static const ObjectPtr root = std::make_shared<RootCrt>();
  return root;
}

namespace detail {

void terminateProgram(int code) {
  runExitProcedures();
  closeAlternateFile();
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(code);
}

}  // namespace detail

}  // namespace qv
