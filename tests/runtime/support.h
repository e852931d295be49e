// Shared helpers of the runtime tests: a clean runtime per test and an error callback that
// records what it is handed.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/runtime/database.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv::test {

// Installs a callback that keeps every error object and answers with `answer` (or with the
// result of `decide` when given).
class ErrorRecorder {
 public:
  explicit ErrorRecorder(Value answer = Value(false)) : answer_(std::move(answer)) {
    previous_ = ERRORBLOCK(Value::callback([this](std::vector<Value>& args) {
      auto e = args.empty() ? nullptr : args[0].as<Error>();
      if (e) errors.push_back(e);
      if (decide) return decide(*e);
      return answer_;
    }));
  }
  ~ErrorRecorder() { ERRORBLOCK(previous_); }
  ErrorRecorder(const ErrorRecorder&) = delete;
  ErrorRecorder& operator=(const ErrorRecorder&) = delete;

  std::vector<ErrorPtr> errors;
  std::function<Value(Error&)> decide;

 private:
  Value answer_;
  Value previous_;
};

// Roles with only the routines a test needs.
inline Roles programOf(Routine main, std::function<void()> registerExit = {}, Routine errorSys = {}) {
  Roles r;
  r.main = std::move(main);
  r.registerExit = std::move(registerExit);
  r.errorSys = std::move(errorSys);
  return r;
}

class RuntimeTest : public ::testing::Test {
 protected:
  // An error nobody expected fails the test instead of ending the test program.
  void SetUp() override {
    reset();
    ERRORBLOCK(Value::callback([](std::vector<Value>& args) {
      auto e = args.empty() ? nullptr : args[0].as<Error>();
      ADD_FAILURE() << "unexpected runtime error: " << (e ? VAR2CHAR(e->description) + " in " + VAR2CHAR(e->operation) : "?");
      return Value(false);
    }));
  }
  void TearDown() override { reset(); }
  static void reset() {
    ERRORBLOCK(Value());
    resetSettings();
    resetDatabaseEngines();
    resetWorkAreas();
    ERRORLEVEL(0);
    setAppType(kAppTypeGui);
    SETAPPWINDOW(nullptr);
    setPlatformVersionForTesting(std::nullopt);
  }
};

}  // namespace qv::test
