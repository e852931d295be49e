// A small program for the error-handling tests. It runs as a text-mode application under
// the start operation with ErrorSys installed and hits a runtime error:
//   errors_child unrecoverable   a malformed font name, with no application window
//   errors_child dialog R D      an operation that fails once (canRetry R, canDefault D,
//                                each 0 or 1) with the root console as application window;
//                                the text-mode alert reads the choice from standard input
//   errors_child gui             a GUI application on the display's backend (SDL when there
//                                is a display) whose text function gets a number
// It prints what became of the failed operation; after "Exit with LOG file" it ends with
// the handler's exit code and the log in the current directory.
#include <cstdio>
#include <cstring>
#include <string>

#include "errors/ErrorSys.h"
#include "platform/draw/font.h"
#include "platform/gui/app.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace {

qv::Value unrecoverable() {
  QV_ROUTINE("ChildMain");
  auto font = qv::QvpFont::New();
  QV_LINE(); font->Create("Arial");  // no size: a malformed compound name
  std::puts("continued after the error");
  return {};
}

qv::Value failOnce(bool canRetry, bool canDefault) {
  QV_ROUTINE("ChildMain");
  qv::SETAPPWINDOW(qv::ROOTCRT());
  int attempts = 0;
  qv::ErrorSpec fault;
  fault.genCode = qv::gen::kOpen;
  fault.subSystem = "CHILD";
  fault.subCode = 7;
  fault.description = "Cannot open the file";
  fault.operation = "OPEN";
  fault.fileName = "data.dbf";
  fault.canRetry = canRetry;
  fault.canDefault = canDefault;
  std::string outcome;
  qv::protectedBlock(
      [&] {
        qv::ErrorAnswer answer;
        qv::guardedOperation([&] { return ++attempts > 1; }, fault, &answer);
        outcome = attempts > 1 ? "retry" : "default";
      },
      [&](const qv::Value&) { outcome = "break"; });
  std::printf("\noutcome: %s\n", outcome.c_str());
  return {};
}

qv::Value guiError() {
  QV_ROUTINE("ChildMain");
  std::printf("backend: %s\n", qv::backend().name().c_str());
  std::fflush(stdout);
  std::string outcome = "default";
  qv::protectedBlock(
      [] {
        QV_LINE(); qv::LTRIM(qv::Value(5));
      },
      [&](const qv::Value&) { outcome = "break"; });
  std::printf("outcome: %s\n", outcome.c_str());
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  qv::setAppType(qv::kAppTypeText);
  qv::Roles roles;
  roles.errorSys = qv::ErrorSys;
  if (std::strcmp(argv[1], "unrecoverable") == 0) {
    roles.main = unrecoverable;
  } else if (std::strcmp(argv[1], "gui") == 0) {
    qv::setAppType(qv::kAppTypeGui);
    qv::setBackend(qv::makeDefaultBackend(false));
    roles.main = guiError;
  } else if (std::strcmp(argv[1], "dialog") == 0 && argc == 4) {
    const bool canRetry = std::strcmp(argv[2], "1") == 0;
    const bool canDefault = std::strcmp(argv[3], "1") == 0;
    roles.main = [=] { return failOnce(canRetry, canDefault); };
  } else {
    return 2;
  }
  return qv::startProgram(roles);
}
