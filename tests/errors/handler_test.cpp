// StandardEH: the silent cases, the session details in cargo, the four outcomes acted on
// through real failing operations, and the guard against errors inside the handler.
#include <filesystem>

#include "support.h"

namespace qvtest {
namespace {

using qv::ErrorAnswer;
using qv::Value;
namespace fs = std::filesystem;

class HandlerTest : public ErrorsTest {};

struct SilentCase {
  const char* name;
  int genCode;
  const char* operation;
  Value args;
  int osCode;
  bool canDefault;
  bool dialog;             // false: settled without a box
  ErrorAnswer::Kind kind;  // the platform's reading of the answer when silent
};

// Every case allows a substitute, so that an answer of 0 (Substitute 0) and of false
// (Default) can be told apart.
TEST_F(HandlerTest, SilentCasesAndTheOnesThatReachTheDialog) {
  using K = ErrorAnswer::Kind;
  const SilentCase cases[] = {
      {"numeric", 11, "+", Value::array({1, 2}), 0, true, false, K::Substitute},
      {"remainder by 0", 12, "%", Value::array({7, 0}), 0, true, false, K::Substitute},
      {"division by 0", 12, "/", Value::array({7, 0}), 0, false, false, K::Substitute},
      {"division by 5", 12, "/", Value::array({7, 5}), 0, true, true, K::Default},
      {"12 without args", 12, "/", Value(), 0, true, true, K::Default},
      {"12 with empty args", 12, "/", Value::array({}), 0, true, true, K::Default},
      {"12 on another operator", 12, "+", Value::array({7, 0}), 0, true, true, K::Default},
      {"sharing, default allowed", 71, "OPEN", Value(), 32, true, false, K::Default},
      {"sharing, no default", 71, "OPEN", Value(), 32, false, true, K::Default},
      {"71 with another osCode", 71, "OPEN", Value(), 5, true, true, K::Default},
      {"lock, default allowed", 78, "LOCK", Value(), 0, true, false, K::Default},
      {"lock, no default", 78, "LOCK", Value(), 0, false, true, K::Default},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qv::clearShownBoxes();
    respond({qv::box::kResultCancel, qv::box::kResultNo});
    qv::ErrorSpec fault;
    fault.genCode = c.genCode;
    fault.operation = c.operation;
    fault.args = c.args;
    fault.osCode = c.osCode;
    fault.canDefault = c.canDefault;
    fault.canSubstitute = true;
    ErrorAnswer answer;
    bool answered = false;
    // A dialog ends in Break, or in Exit where the box has no Cancel button.
    runProgram([&] {
      qv::protectedBlock([&] {
        answer = qv::raiseError(qv::makeError(fault));
        answered = true;
      });
    });
    if (c.dialog) {
      ASSERT_FALSE(qv::shownBoxes().empty());
      EXPECT_EQ(qv::shownBoxes()[0].kind, "CONFIRMBOX");
      EXPECT_FALSE(answered);
    } else {
      EXPECT_TRUE(qv::shownBoxes().empty());
      EXPECT_TRUE(answered);
      EXPECT_EQ(answer.kind, c.kind);
      if (c.kind == K::Substitute) {
        EXPECT_TRUE(answer.value.exactlyEquals(Value(0)));
      }
    }
  }
}

TEST_F(HandlerTest, RealDivisionAndRemainderByZeroGiveZeroSilently) {
  EXPECT_TRUE(qv::DIVIDE(1, 0).exactlyEquals(Value(0)));
  EXPECT_TRUE(qv::MODULO(7, 0).exactlyEquals(Value(0)));
  EXPECT_TRUE(qv::shownBoxes().empty());
}

struct CargoCase {
  const char* name;
  std::function<Value()> provider;  // the DacSession class's default session
  bool changed;
};

TEST_F(HandlerTest, SessionDetailsGoIntoCargoOnlyWhenTheSessionHasAnError) {
  const CargoCase cases[] = {
      {"no DacSession class", {}, false},
      {"class without a default session", [] { return Value(); }, false},
      {"last error 0", [] { return Value(std::make_shared<FakeSession>(0, "none")); }, false},
      {"last error 7", [] { return Value(std::make_shared<FakeSession>(7, "x")); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qv::clearShownBoxes();
    qv::setDacSessionProvider(c.provider);
    respond({qv::box::kResultCancel, qv::box::kResultNo});
    qv::ErrorSpec fault;
    fault.canRetry = true;
    fault.canDefault = false;  // Retry, Cancel
    auto error = qv::makeError(fault);
    const Value oldCargo = Value::array({"old"});
    error->cargo = oldCargo;
    qv::protectedBlock([&] {
      QV_ROUTINE("RaiseIt");
      qv::raiseError(error);
    });
    ASSERT_FALSE(qv::shownBoxes().empty());
    const std::string& shown = qv::shownBoxes()[0].text;
    if (!c.changed) {
      EXPECT_TRUE(error->cargo.exactlyEquals(oldCargo));
      EXPECT_NE(shown.find("Thread ID : 1\rCalled from RaiseIt("), std::string::npos) << shown;
    } else {
      ASSERT_TRUE(error->cargo.isArray());
      ASSERT_EQ(error->cargo.length(), 3u);
      EXPECT_TRUE(error->cargo.element(1).exactlyEquals(oldCargo));
      EXPECT_TRUE(error->cargo.element(2).exactlyEquals(Value(7)));
      EXPECT_TRUE(error->cargo.element(3).exactlyEquals(Value("x")));
      EXPECT_NE(shown.find("Thread ID : 1\rx\rCalled from RaiseIt("), std::string::npos) << shown;
    }
  }
}

// The four outcomes, acted on for an operation that fails on its first attempt only.
TEST_F(HandlerTest, OutcomesActOnTheFailedOperation) {
  struct Case {
    const char* name;
    std::vector<int> answers;
    const char* result;  // what became of the operation
    int exitCode;
  };
  const Case cases[] = {
      {"Retry", {qv::box::kResultRetry}, "retried", 0},
      {"Ignore", {qv::box::kResultIgnore}, "default", 0},
      {"Abort", {qv::box::kResultAbort}, "ended", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qv::clearShownBoxes();
    fs::remove("QVXERROR.LOG");
    respond(c.answers);
    std::string result = "ended";
    int attempts = 0;
    const int code = runProgram([&] {
      qv::ErrorSpec fault;
      fault.genCode = qv::gen::kOpen;
      fault.canRetry = true;
      fault.canDefault = true;
      qv::guardedOperation([&] { return ++attempts > 1; }, fault);
      result = attempts > 1 ? "retried" : "default";
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(code, c.exitCode);
    EXPECT_EQ(fs::exists("QVXERROR.LOG"), c.exitCode == 1);
  }
}

TEST_F(HandlerTest, BreakLeavesTheOperationForTheEnclosingRecovery) {
  respond({qv::box::kResultCancel, qv::box::kResultNo});
  Value received;
  bool after = false;
  const bool completed = qv::protectedBlock(
      [&] {
        qv::LTRIM(5);  // not a text
        after = true;
      },
      [&](const Value& v) { received = v; });
  EXPECT_FALSE(completed);
  EXPECT_FALSE(after);
  auto error = received.as<qv::Error>();
  ASSERT_TRUE(error);
  EXPECT_EQ(error->genCode, qv::gen::kArgument);
  EXPECT_FALSE(fs::exists("QVXERROR.LOG"));
}

// An error raised inside the handler itself comes back to the handler; here every round
// raises another one (the session cannot even report its error). The handler gives up
// after a few rounds instead of recursing until the stack overflows.
class FailingSession : public qv::DacSession {
  QV_CLASS(FailingSession, DacSession)
 public:
  Value getLastError() const override { return qv::LTRIM(Value(5)); }
  Value getLastMessage() const override { return ""; }
};

TEST_F(HandlerTest, ErrorsInsideTheHandlerEndTheProgramAfterAFewRounds) {
  int rounds = 0;
  qv::setDacSessionProvider([&] {
    ++rounds;
    return Value(std::make_shared<FailingSession>());
  });
  ::testing::internal::CaptureStderr();
  const int code = runProgram([] { qv::LTRIM(7); });
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_GE(rounds, 2);
  EXPECT_LE(rounds, 5);
  EXPECT_NE(err.find("errors keep occurring while an error is handled"), std::string::npos) << err;
  EXPECT_NE(err.find("LTRIM"), std::string::npos) << err;
  EXPECT_TRUE(qv::shownBoxes().empty());
}

// The limit counts only the handler's own work: a division by zero, settled silently,
// still yields 0 while three handlers are already running.
TEST_F(HandlerTest, SilentCasesAreSettledAtAnyDepth) {
  int rounds = 0;
  Value quotient;
  qv::setDacSessionProvider([&] {
    if (++rounds < 3) {
      qv::LTRIM(Value(rounds));  // one more handler, one level deeper
    } else if (rounds == 3) {
      quotient = qv::DIVIDE(1, 0);
    }
    return Value();
  });
  respond({qv::box::kResultCancel, qv::box::kResultNo});
  bool broke = false;
  const int code = runProgram([&] { qv::protectedBlock([] { qv::LTRIM(7); }, [&](const Value&) { broke = true; }); });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(rounds, 3);
  EXPECT_TRUE(quotient.exactlyEquals(Value(0)));
  EXPECT_TRUE(broke);
}

}  // namespace
}  // namespace qvtest
