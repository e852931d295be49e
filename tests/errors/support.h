// Shared test helpers: a fresh working directory per test, the platform state reset, a
// scripted box responder, a child-process runner and a fake database session.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "errors/ErrorSys.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qvtest {

std::string readFile(const std::filesystem::path& p);
std::vector<std::string> splitLines(const std::string& text);  // on "\n", keeps empty lines

// Each test runs in a new temporary directory as the current directory, as a GUI
// application with no application window, ErrorSys installed and every box recorded.
class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Answers the boxes in order with these result codes (0: the box's default).
  void respond(std::vector<int> answers);
  // Runs `body` as the program's main routine under the start operation, with ErrorSys as
  // the error system; returns the exit code.
  int runProgram(const std::function<void()>& body);

  std::filesystem::path dir_;
  std::filesystem::path previousDir_;
  qv::Value previousBlock_;
  std::deque<int> answers_;
  // Called by the responder for each box before it answers (e.g. to look at the log).
  std::function<void(const qv::BoxRecord&)> onBox_;
};

struct ChildResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs the errors_child helper with `args` in `cwd`, standard input fed from a pipe.
ChildResult runChild(const std::vector<std::string>& args, const std::string& input,
                     const std::filesystem::path& cwd);

class FakeSession : public qv::DacSession {
  QV_CLASS(FakeSession, DacSession)
 public:
  FakeSession(double code, std::string message) : code_(code), message_(std::move(message)) {}
  qv::Value getLastError() const override { return code_; }
  qv::Value getLastMessage() const override { return message_; }

 private:
  double code_;
  std::string message_;
};

}  // namespace qvtest
