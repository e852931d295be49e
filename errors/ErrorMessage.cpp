// The error text and the error dialog (step 7 of StandardEH).
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "errors/ErrorSys.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/runtime.h"

namespace qv {
namespace {

const char* const kDialogTitle = "Quorvex Error Message";
const char* const kOptCancel = "Cancel";
const char* const kOptExit = "Exit with LOG file";
const char* const kOptRetry = "Retry";
const char* const kOptIgnore = "Ignore";
constexpr int kStyleBits = 131072;  // 65536 + 65536 on top of the icon code

std::string digits(const Value& n) { return LTRIM(STR(n)).text(); }

// Text members other than the type-tested ones may hold any value; a non-text value is
// shown in its display form rather than raising an error inside the handler.
std::string asText(const Value& v) { return v.isText() ? v.text() : displayForm(v); }

// The text-mode alert reads standard input and answers 0 once it has ended.
bool inputEnded() { return std::cin.eof() || std::feof(stdin) != 0; }

// An alert that keeps answering 0 although input has not visibly ended (its input may have
// been redirected elsewhere) would otherwise be asked forever.
constexpr int kMaxEmptyAnswers = 100;

// Text-mode dialog: the options are spelled out and the alert is asked again until the
// user picks one. When standard input has ended nobody can answer any more, so the
// handler stops asking and ends as "Exit with LOG file" rather than loop forever.
ErrorOutcome textModeDialog(const std::string& text, const Error& e) {
  if (!SETAPPWINDOW()) return ErrorOutcome::ExitWithLog;
  std::vector<std::string> options = {kOptCancel, kOptExit};
  if (e.canRetry) options.push_back(kOptRetry);
  if (e.canDefault) options.push_back(kOptIgnore);
  Array labels(options.begin(), options.end());
  const Value buttons = Value::array(labels);

  const int row = ROW();
  const int col = COL();
  std::string chosen;
  for (int empty = 0; chosen.empty();) {
    const Value r = ALERT(text, buttons);
    const double n = r.isNumber() ? r.number() : 0;
    if (n >= 1 && n <= static_cast<double>(options.size()) && n == static_cast<int>(n)) {
      chosen = options[static_cast<std::size_t>(n) - 1];
    } else if (inputEnded() || ++empty >= kMaxEmptyAnswers) {
      chosen = kOptExit;
    }
  }
  SETPOS(row, col);

  if (chosen == kOptIgnore) return ErrorOutcome::Default;
  if (chosen == kOptRetry) return ErrorOutcome::Retry;
  if (chosen == kOptCancel) return ErrorOutcome::Break;
  return ErrorOutcome::ExitWithLog;
}

// Call-stack levels from `level` upward, counted from StandardEH (this file's functions
// run as part of it and do not add a level of their own).
std::string callStackText(int level) {
  std::string s;
  for (int n = level; !PROCNAME(n).empty(); ++n) {
    s += ";Called from " + RTRIM(PROCNAME(n)).text() + "(" + digits(PROCLINE(n)) + ")";
  }
  return s;
}

int buttonSet(const Error& e) {
  if (e.canDefault && e.canRetry) return box::kAbortRetryIgnore;
  if (e.canRetry) return box::kRetryCancel;
  if (e.canDefault) return box::kOkCancel;
  return box::kOk;
}

int iconFor(double severity) {
  if (severity == 3 || severity == 2) return box::kIconStop;
  if (severity == 1) return box::kIconExclamation;
  return box::kIconInformation;
}

// A result that is no button code at all counts like any other unknown code.
int resultCode(const Value& r) {
  if (!r.isNumber() || !(r.number() >= -1e9 && r.number() <= 1e9)) return 0;
  return static_cast<int>(r.number());
}

ErrorOutcome guiDialog(std::string text, const Error& e) {
  const int buttons = buttonSet(e);
  text += callStackText(2);
  const int icon = iconFor(e.severity);
  const Value shown = STRTRAN(text, ";", CHR(13));
  const int result = resultCode(CONFIRMBOX({}, shown, kDialogTitle, buttons, icon + kStyleBits));
  if (result == box::kResultRetry) return ErrorOutcome::Retry;
  if (result == box::kResultIgnore) return ErrorOutcome::Default;
  if (result == box::kResultCancel) {
    const int again = resultCode(CONFIRMBOX({}, kOptExit, kDialogTitle, box::kYesNo,
                                            box::kIconExclamation + kStyleBits));
    return again == box::kResultYes ? ErrorOutcome::ExitWithLog : ErrorOutcome::Break;
  }
  return ErrorOutcome::ExitWithLog;
}

}  // namespace

std::string LineSplit(const std::string& cText, int nWidth) {
  QV_ROUTINE("LineSplit");
  std::string result;
  const double lines = MLCOUNT(cText, nWidth, {}, true).number();
  for (int i = 1; i <= lines; ++i) {
    result += RTRIM(MEMOLINE(cText, nWidth, i, {}, true)).text() + ";";
  }
  if (!result.empty() && result.back() == ';') result.pop_back();
  return result;
}

std::string ErrorMessage(const ErrorPtr& oError) {
  QV_ROUTINE("ErrorMessage");
  if (!oError) return "";
  const Error& e = *oError;
  std::string t = e.severity > 1 ? "Error " : "Warning ";
  t += e.subSystem.isText() ? e.subSystem.text() : "????";
  t += e.subCode.isNumber() ? "/" + digits(e.subCode) : "/????";
  if (e.description.isText()) t += ";Description : " + e.description.text();
  if (!EMPTY(e.fileName)) t += ";File : " + asText(e.fileName);
  if (!EMPTY(e.operation)) t += ";Operation : " + asText(e.operation);
  t += ";Thread ID : " + digits(e.thread);
  if (e.cargo.isArray() && e.cargo.length() == 3) {
    QV_LINE();
    const Value first = e.cargo.element(1);
    if (first.isText()) t += ";" + LineSplit(first.text(), 50);
    // The session's message is text; anything else there is left out like the other
    // members of an unexpected type.
    const Value message = e.cargo.element(3);
    if (message.isText()) t += ";" + LineSplit(message.text(), 50);
  }
  return t;
}

ErrorOutcome errorDialog(const std::string& text, const ErrorPtr& oError) {
  if (!oError) return ErrorOutcome::ExitWithLog;
  if (APPTYPE() != kAppTypeGui) return textModeDialog(text, *oError);
  return guiDialog(text, *oError);
}

}  // namespace qv
