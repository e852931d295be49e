// The entry point: checks the platform's version and hands it the program's routines,
// each in its role.
#include "errors/ErrorSys.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {

Value AppSys() { return {}; }  // the platform's application window is left as it is

namespace {
bool olderThan(const Version& v, const Version& min) {
  if (v.major != min.major) return v.major < min.major;
  if (v.minor != min.minor) return v.minor < min.minor;
  return v.revision < min.revision;
}
}  // namespace

int EntryPoint() {
  if (olderThan(platformVersion(), Version{1, 82, 0})) return 999;
  Roles roles;
  roles.errorSys = ErrorSys;
  roles.dbeSys = DbeSys;
  roles.appSys = AppSys;
  roles.main = Main;
  roles.registerExit = callback;
  // The platform's result is the exit code: 0, or 1 after a program-ending error.
  return startProgram(roles);
}

}  // namespace qv
