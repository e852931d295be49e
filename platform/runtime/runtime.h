// Runtime services: value and text functions, numbered settings, line output, start-up
// roles and exit procedures, the program's call stack, application type and window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/error.h"
#include "platform/runtime/value.h"

namespace qv {

// GLib (under Pango and Cairo) defines ABS, MAX and MIN as macros; the platform's
// functions of those names win wherever this header comes after GLib's.
#undef ABS
#undef MAX
#undef MIN

// ---- value and text functions -------------------------------------------------------
// Each raises a runtime error (gen::kArgument) through the error callback when given a
// value of the wrong type, and returns the default the callback chose (NIL, "" or 0).
std::string VALTYPE(const Value& v);  // one letter: "U", "N", "C", "L", "D", "A", "O", "B"
bool EMPTY(const Value& v);           // NIL, 0, "", blanks only, false, empty array/date
Value LEN(const Value& v);            // text or array length
// Number as text, right-aligned in nWidth (default 10) with nDecimals (default: 0 for a
// whole number, else as many as needed, at most 9). A number too wide gives "*" x width.
Value STR(const Value& n, const Value& nWidth = {}, const Value& nDecimals = {});
Value LTRIM(const Value& s);
Value RTRIM(const Value& s);
Value TRIM(const Value& s);  // same as RTRIM
Value PADL(const Value& v, const Value& nLength, const Value& cFill = " ");
Value REPLICATE(const Value& s, const Value& nCount);
Value SPACE(const Value& nCount);
Value STRTRAN(const Value& s, const Value& cSearch, const Value& cReplace = "");
Value CHR(const Value& nCode);
Value LEFT(const Value& s, const Value& nCount);
Value INT(const Value& n);  // truncates toward zero
Value ABS(const Value& n);
Value MAX(const Value& a, const Value& b);
Value MIN(const Value& a, const Value& b);
Value ARRAY(const Value& nLength);
// Position (from 1) of the first element for which `pred` (a callback value) is true, or
// equal to `what` when it is not a callback; 0 when none. Scans nCount elements from nStart.
Value ASCAN(const Value& a, const Value& what, const Value& nStart = {}, const Value& nCount = {});
// The text form of any value, as the error log writes it: numbers without padding ("1",
// "-2.5"), texts as they are (quoted inside arrays), ".T."/".F.", "NIL", dates in SET(4),
// arrays with their elements ("{1, \"x\", {...}}" where an array comes round again),
// "<Class object>", "{||...}".
std::string VAR2CHAR(const Value& v);
// The display form used by line output (QOUT) for a non-text value: numbers as STR(n)
// gives them (right-aligned in 10), arrays as "{...}", the rest as VAR2CHAR.
std::string displayForm(const Value& v);
Value DATE();  // today, a Date value; its display form follows SET(4)
std::string TIME();  // "hh:mm:ss"
std::string formatDate(const Date& d);  // in the current date format, SET(4)
// The Date of a day of the Gregorian calendar; the empty date when there is no such day.
Date dateFromCivil(int year, int month, int day);
// Word-wrapped lines of text, as the memo functions count them.
Value MLCOUNT(const Value& text, const Value& nWidth = 79, const Value& nTab = {}, const Value& lWrap = true);
Value MEMOLINE(const Value& text, const Value& nWidth = 79, const Value& nLine = 1,
               const Value& nTab = {}, const Value& lWrap = true);
bool FILE(const std::string& name);  // true when a file of that name exists

// ---- arithmetic ----------------------------------------------------------------------
// Division and remainder that report through the error protocol: a divisor of 0 raises
// gen::kZeroDivide, an infinite result gen::kNumeric, a non-number gen::kArgument (all
// with operation "/" or "%", args {a, b} and canSubstitute true). The result after the
// default is 0. The remainder takes the sign of the dividend.
Value DIVIDE(const Value& a, const Value& b);
Value MODULO(const Value& a, const Value& b);

// ---- numbered settings -------------------------------------------------------------
namespace setting {
inline constexpr int kDateFormat = 4;
inline constexpr int kConsole = 17;
inline constexpr int kAlternate = 18;
inline constexpr int kAlternateFile = 19;
inline constexpr int kExtra = 21;
inline constexpr int kPrinter = 23;
inline constexpr int kEpoch = 40;  // true: dates show four-digit years
inline constexpr int kOptimize = 41;
}  // namespace setting
// Each returns the value the setting had before the call. "ON"/"OFF" texts and logicals
// are both accepted for the switches (17, 18, 21, 23, 40) and read back as logicals; a
// value of the wrong kind raises an argument error and leaves the setting as it was.
// SET(19, name [, lAdditive]) opens the alternate file: appending unless lAdditive is
// false, which starts it anew; "" closes it. A name that cannot be opened for writing (a
// missing directory, a read-only file, a symbolic link, anything but a regular file)
// raises gen::kCreate with osCode, fileName and canRetry, and keeps the file in use.
Value SET(int n);
Value SET(int n, const Value& v);
Value SET(int n, const Value& v, const Value& lAdditive);  // 19: false starts the file anew
void resetSettings();  // back to the start-up values (for tests)

// ---- line output -------------------------------------------------------------------
// QOUT starts a new line, then writes its values separated by one blank; QQOUT writes on
// the current line. Output goes to the console when SET(17) is on and to the alternate
// file when SET(18) is on and SET(19) names one.
void QOUT(const std::vector<Value>& values = {});
void QQOUT(const std::vector<Value>& values);
void OUTERR(const std::string& text);  // standard error
void TONE(double frequency, double duration);  // a beep; silent where there is no sound

// ---- start-up, exit procedures, version ---------------------------------------------
struct Version {
  int major = 0, minor = 0, revision = 0;
};
Version platformVersion();
void setPlatformVersionForTesting(std::optional<Version> v);  // nullopt: the real one
std::string VERSION();           // "2.0"-style version text
std::string VERSION(int part);   // part 3: the revision as text
std::string OS();
std::string APPNAME(bool full);

using Routine = std::function<Value()>;
struct Roles {
  Routine errorSys, dbeSys, appSys, main;
  std::function<void()> registerExit;  // the program's exit-list registration
};
// Runs the program: the roles' routines (error system, database, application window, the
// exit-list registration, then main), then the exit procedures. Catches _QUIT and every
// stray break or exception, and returns the exit code (ERRORLEVEL, set to 0 at the start).
// The exit procedures run after a quit too. A break no protected block received ends the
// program with ERRORLEVEL 1 unless a non-zero level was set; an exception does so with 1.
int startProgram(const Roles& roles);
void addExitProcedure(std::function<void()> procedure);
// Runs each registered procedure once, in order of registration; a later call runs only
// procedures registered since. A quit, break or exception ends that procedure only.
void runExitProcedures();

// ---- application type and window ----------------------------------------------------
inline constexpr int kAppTypeGui = 3;
inline constexpr int kAppTypeText = 1;
int APPTYPE();
void setAppType(int type);
ObjectPtr SETAPPWINDOW();                      // the application window or null
ObjectPtr SETAPPWINDOW(const ObjectPtr& win);  // set it; returns the previous one
ObjectPtr ROOTCRT();                           // the root text console object

// The class of the root text console. A text-mode program that works in the console
// makes it its application window with SETAPPWINDOW(ROOTCRT()); the application window
// starts out null.
class RootCrt : public Object {
  QV_CLASS(RootCrt, Object)
};

// ---- the program's call stack ------------------------------------------------------
// The program's own routines register themselves with QV_ROUTINE("Name") at their first
// line; QV_LINE() records the line a routine has reached. PROCNAME(0) is the routine that
// asks, PROCNAME(1) its caller, and so on; "" past the outermost.
class ProcFrame {
 public:
  ProcFrame(const char* name, int line);
  ~ProcFrame();
  ProcFrame(const ProcFrame&) = delete;
  ProcFrame& operator=(const ProcFrame&) = delete;
};
void setProcLine(int line);
std::string PROCNAME(int level = 0);
int PROCLINE(int level = 0);
#define QV_ROUTINE(name) ::qv::ProcFrame qv_proc_frame_(name, __LINE__)
#define QV_LINE() ::qv::setProcLine(__LINE__)

std::string DOSERRORMESSAGE(int code);

// Text-cursor position for the text-mode boxes.
int ROW();
int COL();
void SETPOS(int row, int col);

}  // namespace qv
