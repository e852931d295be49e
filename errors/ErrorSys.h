// The program's error handling: the error-system routine that installs the error callback,
// the default handler it calls, the error text and dialog, and the error log.
//
// Every runtime error of the program reaches StandardEH through the callback that ErrorSys
// installs. StandardEH settles four known cases silently and shows every other error to
// the user, whose choice decides: retry, take the default, break out, or write the error
// log and end the program with exit code 1.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/error.h"
#include "platform/runtime/value.h"

namespace qv {

// Installs the program's error callback (a routine named "ERRORSYS" on the call stack)
// through ERRORBLOCK. Returns NIL.
Value ErrorSys();

// The default error handler: 0, false or true for the platform (see error.h), or it does
// not return (it breaks out, or it writes the log and quits with exit code 1).
// An error raised while the handler runs (in its dialog, text or log) comes back to it; at
// the third such level it stops: it writes the first and the last error to the standard
// error output and ends the program with exit code 1.
Value StandardEH(const ErrorPtr& oError);

// The error text, lines separated by ";": severity, subsystem and code, description,
// file, operation, thread and the database-session details held in cargo.
std::string ErrorMessage(const ErrorPtr& oError);

// cText word-wrapped to lines of at most nWidth characters, joined by ";".
std::string LineSplit(const std::string& cText, int nWidth);

// What the user decided in the error dialog.
enum class ErrorOutcome { Retry, Default, Break, ExitWithLog };

// Shows the error dialog for `text` (the error text with the operating-system part
// already appended) and returns the user's decision. Called by StandardEH, whose call
// stack it lists in a GUI application. A text-mode application without an application
// window gets ExitWithLog at once; in text mode the end of standard input also ends as
// ExitWithLog, since nobody is left to choose.
ErrorOutcome errorDialog(const std::string& text, const ErrorPtr& oError);

// Writes the error log file "QVXERROR.LOG" (or the first of "QVXERROR.001" to
// "QVXERROR.999" that can be opened) and tells the user its name. The call stack in the
// log starts at level nStackStart + 1 counted from ErrorLog. Returns NIL; when no name can
// be opened it tells the user and ends the program with exit code 1.
Value ErrorLog(const ErrorPtr& oError, int nStackStart);

// ---- database sessions ---------------------------------------------------------------
// The handler asks the current database session for its last error. DBSESSION() comes
// first; when it has none and a "DacSession" class exists, the class's default session is
// used. The platform has no run-time evaluation of "DacSession()", so the class is made
// known here: the provider returns the class's default session (getDefault()) or NIL.
using DacSessionProvider = std::function<Value()>;
void setDacSessionProvider(DacSessionProvider provider);  // empty: no DacSession class

// A database session as the handler reads it. Session objects the platform or a provider
// hands over are used only when they derive from this class.
class DacSession : public Object {
  QV_CLASS(DacSession, Object)
 public:
  virtual Value getLastError() const = 0;    // a number, 0 when there was no error
  virtual Value getLastMessage() const = 0;  // the message of that error
};

}  // namespace qv
