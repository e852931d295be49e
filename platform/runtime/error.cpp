#include "platform/runtime/error.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/runtime/internal.h"
#include "platform/runtime/runtime.h"

namespace qv {

namespace {

struct ErrorState {
  Value block;           // the installed error callback, NIL when none
  int errorLevel = 0;
  int protectedDepth = 0;
  int raiseDepth = 0;    // raiseError calls now on the stack
};

ErrorState& state() {
  static ErrorState s;
  return s;
}

// A callback that raises an error inside itself for every error it handles would recurse
// until the stack overflows. Past this many nested errors the platform stops asking the
// callback and ends the program as if none were installed.
constexpr int kMaxNestedErrors = 64;

std::string textOf(const Value& v) { return VAR2CHAR(v); }

[[noreturn]] void quitUnhandled(const ErrorPtr& error, const char* why) {
  std::string line = "Error " + textOf(error->subSystem) + "/" + textOf(error->subCode);
  if (error->description.isText() && !error->description.text().empty()) line += ": " + error->description.text();
  if (error->operation.isText() && !error->operation.text().empty()) line += " (" + error->operation.text() + ")";
  if (error->fileName.isText() && !error->fileName.text().empty()) line += " file " + error->fileName.text();
  line += why;
  line += "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  ERRORLEVEL(1);
  _QUIT();
}

struct DepthGuard {
  int& d;
  explicit DepthGuard(int& depth) : d(depth) { ++d; }
  ~DepthGuard() { --d; }
};

}  // namespace

ErrorAnswer raiseError(const ErrorPtr& error) {
  ErrorState& s = state();
  if (!error) return {};
  error->tries += 1;
  if (!s.block.isCallback()) quitUnhandled(error, "");
  if (s.raiseDepth >= kMaxNestedErrors) quitUnhandled(error, " [errors nested too deeply]");
  DepthGuard guard(s.raiseDepth);
  // Call a copy: the callback may install another one while it runs.
  Value block = s.block;
  std::vector<Value> args(1);
  args[0] = Value(ObjectPtr(error));
  Value answer = block.call(args);
  ErrorAnswer result;
  if (answer.isLogical() && answer.logical()) {
    // A retry the operation does not allow falls back to its default.
    result.kind = error->canRetry ? ErrorAnswer::Kind::Retry : ErrorAnswer::Kind::Default;
  } else if (answer.isNumber() && error->canSubstitute) {
    result.kind = ErrorAnswer::Kind::Substitute;
    result.value = answer;
  }
  // false, NIL and every other answer take the default. Where the operation has no
  // default (canDefault false) it still ends with its neutral result rather than
  // asking again forever.
  return result;
}

ErrorPtr makeError(const ErrorSpec& fault) {
  auto e = std::make_shared<Error>();
  e->genCode = fault.genCode;
  e->subSystem = fault.subSystem;
  e->subCode = fault.subCode;
  e->description = fault.description;
  e->operation = fault.operation;
  e->args = fault.args;
  e->canRetry = fault.canRetry;
  e->canDefault = fault.canDefault;
  e->canSubstitute = fault.canSubstitute;
  e->fileName = fault.fileName;
  e->osCode = fault.osCode;
  e->severity = fault.severity;
  return e;
}

Value guardedOperation(const std::function<bool()>& attempt, const ErrorSpec& fail, ErrorAnswer* lastAnswer) {
  ErrorPtr error;
  for (;;) {
    if (attempt && attempt()) return Value();
    // One error object for all tries, so that `tries` counts them.
    if (!error) error = makeError(fail);
    ErrorAnswer answer = raiseError(error);
    if (lastAnswer) *lastAnswer = answer;
    if (answer.kind == ErrorAnswer::Kind::Retry) continue;
    return answer.kind == ErrorAnswer::Kind::Substitute ? answer.value : Value();
  }
}

Value ERRORBLOCK() { return state().block; }

Value ERRORBLOCK(const Value& newBlock) {
  Value previous = state().block;
  if (newBlock.isCallback() || newBlock.isNil()) {
    state().block = newBlock;
  } else {
    detail::argumentError("ERRORBLOCK", {newBlock}, "Argument is not a code block", Value());
  }
  return previous;
}

void BREAK(const Value& v) {
  if (state().protectedDepth == 0 && detail::programDepth() == 0) {
    // Nobody can receive the break: end the program as startProgram would.
    std::fputs("Break outside any protected block: the program ends\n", stderr);
    detail::terminateProgram(state().errorLevel != 0 ? state().errorLevel : 1);
  }
  throw BreakSignal{v};
}

void _BREAK(const Value& v) { BREAK(v); }

bool protectedBlock(const std::function<void()>& body, const std::function<void(const Value&)>& recover) {
  Value breakValue;
  {
    DepthGuard guard(state().protectedDepth);
    try {
      if (body) body();
      return true;
    } catch (BreakSignal& signal) {
      breakValue = std::move(signal.value);
    }
  }
  // The recovery part runs outside the block: a break inside it goes to the next
  // enclosing block.
  if (recover) recover(breakValue);
  return false;
}

int protectedDepth() { return state().protectedDepth; }

int ERRORLEVEL() { return state().errorLevel; }

int ERRORLEVEL(int code) {
  int previous = state().errorLevel;
  state().errorLevel = code;
  return previous;
}

void _QUIT() {
  if (detail::programDepth() > 0) throw QuitSignal{};
  detail::terminateProgram(state().errorLevel);
}

// ---- arithmetic that reports through the error protocol --------------------------------

namespace {

Value arithmetic(const char* op, const Value& a, const Value& b, double (*fn)(double, double)) {
  if (!a.isNumber() || !b.isNumber()) {
    return detail::argumentError(op, {a, b}, "Argument is not numeric", Value(0), true);
  }
  ErrorSpec fault;
  fault.subSystem = "BASE";
  fault.operation = op;
  fault.args = Value::array({a, b});
  fault.canSubstitute = true;
  if (b.number() == 0) {
    fault.genCode = gen::kZeroDivide;
    fault.subCode = 1340;
    fault.description = "Zero divide";
  } else {
    double r = fn(a.number(), b.number());
    if (std::isfinite(r) || !std::isfinite(a.number()) || !std::isfinite(b.number())) return Value(r);
    fault.genCode = gen::kNumeric;
    fault.subCode = 1341;
    fault.description = "Numeric overflow";
  }
  ErrorAnswer answer;
  Value v = guardedOperation([] { return false; }, fault, &answer);
  return answer.kind == ErrorAnswer::Kind::Substitute ? v : Value(0);
}

}  // namespace

Value DIVIDE(const Value& a, const Value& b) {
  return arithmetic("/", a, b, [](double x, double y) { return x / y; });
}

Value MODULO(const Value& a, const Value& b) {
  // The remainder takes the sign of the dividend, as fmod does.
  return arithmetic("%", a, b, [](double x, double y) { return std::fmod(x, y); });
}

namespace detail {

Value argumentError(const char* operation, std::initializer_list<Value> args, const std::string& description,
                    const Value& fallback, bool canSubstitute) {
  ErrorSpec fault;
  fault.genCode = gen::kArgument;
  fault.subSystem = "BASE";
  fault.description = description;
  fault.operation = operation;
  fault.args = Value::array(args);
  fault.canSubstitute = canSubstitute;
  ErrorAnswer answer = raiseError(makeError(fault));
  if (answer.kind == ErrorAnswer::Kind::Substitute) return answer.value;
  return fallback;
}

bool toInteger(double d, std::int64_t& out) {
  if (!std::isfinite(d)) return false;
  double t = std::trunc(d);
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (t >= 9223372036854775808.0 || t < -9223372036854775808.0) return false;
  out = static_cast<std::int64_t>(t);
  return true;
}

bool toCount(double d, std::int64_t& out) {
  if (std::isnan(d)) return false;
  if (d >= 9223372036854775807.0) {
    out = INT64_MAX;
  } else if (d <= -9223372036854775807.0) {
    out = INT64_MIN + 1;
  } else {
    out = static_cast<std::int64_t>(std::trunc(d));
  }
  return true;
}

int& programDepth() {
  thread_local int depth = 0;
  return depth;
}

}  // namespace detail

}  // namespace qv
