// ErrorSys and StandardEH: the error callback and the default error handler.
#include <climits>
#include <cstdio>
#include <string>

#include "errors/ErrorSys.h"
#include "platform/runtime/database.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv {
namespace {

DacSessionProvider& sessionProvider() {
  static DacSessionProvider provider;
  return provider;
}

// The handler's own code, ErrorMessage and ErrorLog can fail and raise a new error, which
// comes back to StandardEH. A few such rounds are allowed (the dialog, for example, keeps
// repainting other windows, which may fail in their turn); past that the errors would
// never stop, so the handler gives up and ends the program.
constexpr int kMaxHandlerDepth = 3;
thread_local int handlerDepth = 0;
thread_local Error* outermostError = nullptr;

std::string plainNumber(double d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

std::string plainSummary(const Error* e) {
  if (!e) return "(no error object)";
  std::string s = e->subSystem.isText() ? e->subSystem.text() : std::string("????");
  s += "/" + (e->subCode.isNumber() ? plainNumber(e->subCode.number()) : std::string("????"));
  s += " genCode " + plainNumber(e->genCode);
  if (e->description.isText()) s += ": " + e->description.text();
  if (e->operation.isText() && !e->operation.text().empty()) s += " (" + e->operation.text() + ")";
  return s;
}

// Written with plain C stdio only: every platform function could be the one that keeps
// failing.
[[noreturn]] void giveUp(const Error* current) {
  std::fprintf(stderr,
               "\nQuorvex error handler: errors keep occurring while an error is handled; "
               "the program ends.\n  first error: %s\n  last error:  %s\n",
               plainSummary(outermostError).c_str(), plainSummary(current).c_str());
  std::fflush(stderr);
  ERRORLEVEL(1);
  _QUIT();
}

class HandlerDepthGuard {
 public:
  explicit HandlerDepthGuard(Error* e) {
    if (handlerDepth >= kMaxHandlerDepth) giveUp(e);
    if (handlerDepth == 0) outermostError = e;
    ++handlerDepth;
  }
  ~HandlerDepthGuard() {
    if (--handlerDepth == 0) outermostError = nullptr;
  }
  HandlerDepthGuard(const HandlerDepthGuard&) = delete;
  HandlerDepthGuard& operator=(const HandlerDepthGuard&) = delete;
};

// A division or remainder whose last operand is 0. An args that is not an array, or is
// empty, has no divisor and so is not a division by zero.
bool isDivisionByZero(const Error& e) {
  if (!e.operation.isText()) return false;
  const std::string& op = e.operation.text();
  if (op.find('/') == std::string::npos && op.find('%') == std::string::npos) return false;
  if (!e.args.isArray() || e.args.length() == 0) return false;
  const Value last = e.args.element(e.args.length());
  return last.isNumber() && last.number() == 0;
}

// DBSESSION() first; without one, the default session of the DacSession class.
std::shared_ptr<DacSession> findSession() {
  Value session = DBSESSION();
  if (session.isNil()) {
    const bool classExists = sessionProvider() || ISFUNCTION("DacSession", 67);
    if (classExists && sessionProvider()) session = sessionProvider()();
  }
  return session.as<DacSession>();
}

}  // namespace

void setDacSessionProvider(DacSessionProvider provider) { sessionProvider() = std::move(provider); }

Value ErrorSys() {
  QV_ROUTINE("ErrorSys");
  ERRORBLOCK(Value::callback([](std::vector<Value>& args) -> Value {
    QV_ROUTINE("ERRORSYS");
    ErrorPtr e = args.empty() ? nullptr : args[0].as<Error>();
    // The platform hands only error objects to the callback; anything else takes the
    // operation's default.
    if (!e) return false;
    QV_LINE();
    return StandardEH(e);
  }));
  return {};
}

Value StandardEH(const ErrorPtr& oError) {
  QV_ROUTINE("StandardEH");
  if (!oError) return false;
  const Error& e = *oError;

  if (e.genCode == 11) return 0;
  if (e.genCode == 12 && isDivisionByZero(e)) return 0;
  if (e.genCode == 71 && e.osCode == 32 && e.canDefault) return false;
  if (e.genCode == 78 && e.canDefault) return false;

  // Only from here on can the handler's own work raise further errors.
  HandlerDepthGuard depth(oError.get());

  QV_LINE();
  if (auto session = findSession(); session && session->getLastError().number() != 0) {
    oError->cargo = Value::array({e.cargo, session->getLastError(), session->getLastMessage()});
  }

  QV_LINE();
  std::string text = ErrorMessage(oError);
  if (e.osCode != 0) {
    text += ";Operating system error : " + LTRIM(STR(e.osCode)).text() + ";" +
            DOSERRORMESSAGE(e.osCode >= INT_MIN && e.osCode <= INT_MAX ? static_cast<int>(e.osCode) : -1);
  }
  QV_LINE();
  switch (errorDialog(text, oError)) {
    case ErrorOutcome::Retry:
      return true;
    case ErrorOutcome::Default:
      return false;
    case ErrorOutcome::Break:
      QV_LINE();
      _BREAK(oError);
    case ErrorOutcome::ExitWithLog:
      break;
  }
  QV_LINE();
  ErrorLog(oError, 2);
  ERRORLEVEL(1);
  _QUIT();
}

}  // namespace qv
