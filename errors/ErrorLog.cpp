// ErrorLog: everything the error object holds, the program's versions and the call stack,
// written to "QVXERROR.LOG" (or the first fallback name that can be opened).
#include <string>

#include "errors/ErrorSys.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv {
namespace {

constexpr int kLastCounter = 999;

// A label of 21 characters, colon included, so that every value starts in column 23.
std::string label(const std::string& name) {
  std::string s = name;
  if (s.size() < 20) s.append(20 - s.size(), ' ');
  return s + ":";
}

void tellUser(const std::string& m) {
  if (APPTYPE() != kAppTypeGui) {
    TONE(660, 5);
    QOUT({m});
    if (!SET(setting::kConsole).logical()) OUTERR(CHR(10).text() + CHR(13).text() + m);
  } else {
    MSGBOX(m);
  }
}

void writeArgs(const Value& args) {
  if (VALTYPE(args) != "A") {
    QOUT({SPACE(10), "-> NIL"});
    return;
  }
  for (std::size_t i = 1; i <= args.length(); ++i) {
    const Value x = args.element(i);
    const std::string t = VALTYPE(x);
    QOUT({SPACE(9), "-> VALTYPE:", t});
    if (t == "O") {
      QQOUT({" CLASS:", x.object()->className()});
    } else {
      QQOUT({" VALUE:", VAR2CHAR(x)});
    }
  }
}

}  // namespace

Value ErrorLog(const ErrorPtr& oError, int nStackStart) {
  QV_ROUTINE("ErrorLog");
  // Without an error object there is still a log to write: the program is ending.
  static const Error kNoError;
  const Error& e = oError ? *oError : kNoError;

  // While the file is being opened an error only means "try the next name".
  const Value previousBlock = ERRORBLOCK(Value::callback([](std::vector<Value>& a) -> Value {
    BREAK(a.empty() ? Value() : a[0]);
  }));

  const Value saved23 = SET(setting::kPrinter);
  const Value saved17 = SET(setting::kConsole);
  const Value saved19 = SET(setting::kAlternateFile);
  const Value saved18 = SET(setting::kAlternate);
  const Value saved21 = SET(setting::kExtra, false);
  SET(setting::kPrinter, "OFF");
  SET(setting::kConsole, "ON");
  const ObjectPtr appWindow = SETAPPWINDOW();
  const ObjectPtr console = ROOTCRT();
  if (!appWindow || !console || !appWindow->IsDerivedFrom(console->className())) {
    SET(setting::kConsole, "OFF");
  }

  std::string ext = "LOG";
  int counter = 0;
  std::string fileName;
  for (;;) {
    fileName = "QVXERROR." + ext;
    QV_LINE();
    // The platform never opens the alternate file through a symbolic link, so a planted
    // link is just a name that cannot be opened.
    const bool opened = protectedBlock([&] {
      SET(setting::kAlternateFile, fileName, false);
      SET(setting::kAlternate, "ON");
    });
    if (opened) break;
    ++counter;
    ext = PADL(counter, 3, "0").text();
    if (counter > kLastCounter) {
      // The callback that only breaks must not outlive this call: an error while the
      // user is told would break into some unrelated protected block instead of
      // reaching the handler, and the program would not end.
      ERRORBLOCK(previousBlock);
      tellUser("Unable to open error log file");
      ERRORLEVEL(1);
      _QUIT();
    }
  }
  ERRORBLOCK(previousBlock);

  QV_LINE();
  const Value separator = REPLICATE("-", 78);
  QOUT({separator});
  QOUT({"ERROR LOG of \"" + APPNAME(true) + "\" Date:", DATE(), TIME()});
  QOUT();
  QOUT({label("Quorvex version"), VERSION() + "." + VERSION(3)});
  QOUT({label("Operating system"), OS()});
  QOUT({separator});
  QOUT({label("oError:args")});
  writeArgs(e.args);
  QOUT({label("oError:canDefault"), e.canDefault});
  QOUT({label("oError:canRetry"), e.canRetry});
  QOUT({label("oError:canSubstitute"), e.canSubstitute});
  QOUT({label("oError:cargo"), e.cargo});
  QOUT({label("oError:description"), e.description});
  QOUT({label("oError:filename"), e.fileName});
  QOUT({label("oError:genCode"), e.genCode});
  QOUT({label("oError:operation"), e.operation});
  QOUT({label("oError:osCode"), e.osCode});
  QOUT({label("oError:severity"), e.severity});
  QOUT({label("oError:subCode"), e.subCode});
  QOUT({label("oError:subSystem"), e.subSystem});
  QOUT({label("oError:thread"), e.thread});
  QOUT({label("oError:tries"), e.tries});
  QOUT({separator});
  QOUT({"CALLSTACK:"});
  QOUT({separator});
  for (int n = nStackStart + 1; !PROCNAME(n).empty(); ++n) {
    QOUT({"Called from", TRIM(PROCNAME(n)).text() + "(" + LTRIM(STR(PROCLINE(n))).text() + ")"});
  }
  QOUT();
  // Closing the file flushes it: the log is complete on disk before the user hears of it.
  SET(setting::kAlternateFile, "");
  SET(setting::kAlternate, "OFF");

  QV_LINE();
  tellUser("Error log was written to the file " + fileName);

  SET(setting::kPrinter, saved23);
  SET(setting::kConsole, saved17);
  SET(setting::kAlternateFile, saved19);
  SET(setting::kAlternate, saved18);
  SET(setting::kExtra, saved21);
  return {};
}

}  // namespace qv
