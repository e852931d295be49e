// Runtime errors: error objects, the error callback, break-out and protected blocks, quit.
//
// A failing platform operation never returns an error code. It builds an Error object and
// calls the current error callback (ERRORBLOCK) with it. The callback's answer decides:
//   true          retry the operation (only honoured when canRetry is true),
//   false or NIL  take the operation's default,
//   a number      use it as the operation's result (only when canSubstitute is true).
// A callback may instead BREAK (throws BreakSignal, caught by the innermost protected
// block) or _QUIT (throws QuitSignal, caught by the start operation, which runs the exit
// procedures and ends the program with ERRORLEVEL as exit code). No C++ exception
// escapes the start operation.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/value.h"

namespace qv {

// Generic error codes the platform uses in Error::genCode.
namespace gen {
inline constexpr int kArgument = 1;       // an operation got a value of the wrong type
inline constexpr int kBound = 2;          // an index out of range
inline constexpr int kNumeric = 11;       // numeric overflow or an undefined result
inline constexpr int kZeroDivide = 12;    // division or remainder by zero
inline constexpr int kNoMethod = 13;      // a method or member that does not exist
inline constexpr int kCreate = 20;        // a file could not be created
inline constexpr int kOpen = 21;          // a file could not be opened
inline constexpr int kWrite = 24;         // a file could not be written
inline constexpr int kShared = 71;        // a file is in use by another process
inline constexpr int kLock = 78;          // a record or file lock could not be had
inline constexpr int kGui = 100;          // a window, font or drawing operation failed
}  // namespace gen

// The error object handed to the error callback. Members are public and named as the
// error handler reads them.
class Error : public Object {
  QV_CLASS(Error, Object)
 public:
  Value args;                 // the operands of the failed operation, an array or NIL
  bool canDefault = true;
  bool canRetry = false;
  bool canSubstitute = false;
  Value cargo;                // free slot
  Value description = "";     // what went wrong
  Value fileName = "";        // the file concerned, "" when none
  double genCode = 0;
  Value operation = "";       // the failed operation (for arithmetic the operator)
  double osCode = 0;          // the operating system's error code, 0 when none
  double severity = 2;        // 1 warning, 2 error, 3 highest
  Value subCode = 0;          // the subsystem's own code
  Value subSystem = "BASE";   // the subsystem that raised it
  double thread = 1;
  double tries = 0;
};
using ErrorPtr = std::shared_ptr<Error>;

// What a platform operation should do after the callback has answered.
struct ErrorAnswer {
  enum class Kind { Retry, Default, Substitute };
  Kind kind = Kind::Default;
  Value value;  // the substitute result
};

// Hands `error` to the current error callback and interprets the answer (the rules at the
// top of this file). Increments error->tries first. With no callback installed the
// platform writes the description to standard error and quits with exit code 1; so it
// does when errors nest more than 64 deep (a callback that fails on every error it
// handles), instead of overflowing the stack. An answer the error does not allow (retry
// without canRetry, a substitute without canSubstitute) takes the default.
ErrorAnswer raiseError(const ErrorPtr& error);

// Convenience: builds an Error from the fields and raises it.
struct ErrorSpec {
  int genCode = gen::kArgument;
  std::string subSystem = "BASE";
  int subCode = 0;
  std::string description;
  std::string operation;
  Value args;
  bool canRetry = false;
  bool canDefault = true;
  bool canSubstitute = false;
  std::string fileName;
  int osCode = 0;
  int severity = 2;
};
ErrorPtr makeError(const ErrorSpec& fault);

// Runs `attempt` until it succeeds or the error callback stops retrying.
// `attempt` returns true on success. On failure `fail` describes the error. The result is
// NIL on success, the substitute value, or NIL after the default was chosen; callers that
// need to know which read `lastAnswer` (left untouched when the first attempt succeeds).
Value guardedOperation(const std::function<bool()>& attempt, const ErrorSpec& fail,
                       ErrorAnswer* lastAnswer = nullptr);

// ERRORBLOCK(): the current callback. ERRORBLOCK(b): installs b, returns the previous one.
Value ERRORBLOCK();
Value ERRORBLOCK(const Value& newBlock);

// Thrown by BREAK/_BREAK; carries the value handed to the recovery part.
struct BreakSignal {
  Value value;
};
// Thrown by _QUIT; the start operation catches it.
struct QuitSignal {};

[[noreturn]] void BREAK(const Value& v = {});
[[noreturn]] void _BREAK(const Value& v = {});

// A protected block: runs `body`; when it breaks, runs `recover` with the break value.
// Returns true when the body completed without a break.
bool protectedBlock(const std::function<void()>& body,
                    const std::function<void(const Value&)>& recover = {});
// How many protected blocks are open now (0 outside any).
int protectedDepth();

// ERRORLEVEL(): the exit code the program will end with; ERRORLEVEL(n) sets it and
// returns the previous one.
int ERRORLEVEL();
int ERRORLEVEL(int code);
// Outside any startProgram, _QUIT and a BREAK that no protected block receives end the
// process (exit procedures first) with ERRORLEVEL, or 1 for the break.
[[noreturn]] void _QUIT();

}  // namespace qv
