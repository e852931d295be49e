#include <gtest/gtest.h>

#include "support.h"

namespace qv {
namespace {

using test::ErrorRecorder;
using test::RuntimeTest;

using ErrorProtocol = RuntimeTest;

ErrorSpec retryableFailure() {
  ErrorSpec fault;
  fault.genCode = gen::kOpen;
  fault.subSystem = "TEST";
  fault.subCode = 5;
  fault.description = "Cannot open";
  fault.operation = "OPEN";
  fault.canRetry = true;
  fault.canSubstitute = true;
  fault.fileName = "x.dat";
  fault.osCode = 2;
  return fault;
}

TEST_F(ErrorProtocol, MakeErrorCopiesEveryField) {
  ErrorPtr e = makeError(retryableFailure());
  EXPECT_EQ(e->className(), "Error");
  EXPECT_EQ(e->genCode, gen::kOpen);
  EXPECT_EQ(e->subSystem.text(), "TEST");
  EXPECT_EQ(e->subCode.number(), 5);
  EXPECT_EQ(e->description.text(), "Cannot open");
  EXPECT_EQ(e->operation.text(), "OPEN");
  EXPECT_TRUE(e->canRetry);
  EXPECT_TRUE(e->canDefault);
  EXPECT_TRUE(e->canSubstitute);
  EXPECT_EQ(e->fileName.text(), "x.dat");
  EXPECT_EQ(e->osCode, 2);
  EXPECT_EQ(e->severity, 2);
  EXPECT_EQ(e->tries, 0);
}

TEST_F(ErrorProtocol, RetryRunsTheOperationAgainAndCountsTries) {
  ErrorRecorder rec;
  rec.decide = [](Error& e) { return Value(e.tries < 3); };  // retry twice, then default
  int attempts = 0;
  ErrorAnswer last;
  Value r = guardedOperation([&] { return ++attempts > 10; }, retryableFailure(), &last);
  EXPECT_EQ(attempts, 3);
  ASSERT_EQ(rec.errors.size(), 3u);
  EXPECT_EQ(rec.errors[0], rec.errors[2]);  // one error object for all tries
  EXPECT_EQ(rec.errors[0]->tries, 3);
  EXPECT_EQ(last.kind, ErrorAnswer::Kind::Default);
  EXPECT_TRUE(r.isNil());
}

TEST_F(ErrorProtocol, RetrySucceedsWhenTheOperationRecovers) {
  ErrorRecorder rec(Value(true));
  int attempts = 0;
  guardedOperation([&] { return ++attempts == 2; }, retryableFailure());
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(rec.errors.size(), 1u);
}

TEST_F(ErrorProtocol, AnswersAreHonouredOnlyWhereTheErrorAllowsThem) {
  struct Case {
    Value answer;
    bool canRetry, canSubstitute;
    ErrorAnswer::Kind kind;
  } cases[] = {
      {Value(true), true, false, ErrorAnswer::Kind::Retry},
      {Value(true), false, false, ErrorAnswer::Kind::Default},
      {Value(false), true, true, ErrorAnswer::Kind::Default},
      {Value(), true, true, ErrorAnswer::Kind::Default},
      {Value(42), false, true, ErrorAnswer::Kind::Substitute},
      {Value(42), false, false, ErrorAnswer::Kind::Default},
      {Value("42"), false, true, ErrorAnswer::Kind::Default},
  };
  for (const auto& c : cases) {
    ErrorRecorder rec(c.answer);
    ErrorSpec fault;
    fault.canRetry = c.canRetry;
    fault.canSubstitute = c.canSubstitute;
    ErrorAnswer a = raiseError(makeError(fault));
    EXPECT_EQ(a.kind, c.kind) << displayForm(c.answer);
    if (c.kind == ErrorAnswer::Kind::Substitute) {
      EXPECT_EQ(a.value.number(), 42);
    }
  }
}

TEST_F(ErrorProtocol, DivideAndModuloByZeroReportTheOperatorAndOperands) {
  ErrorRecorder rec(Value(false));
  EXPECT_EQ(DIVIDE(Value(1), Value(0)).number(), 0);
  EXPECT_EQ(MODULO(Value(7), Value(0)).number(), 0);
  ASSERT_EQ(rec.errors.size(), 2u);
  const Error& d = *rec.errors[0];
  EXPECT_EQ(d.genCode, gen::kZeroDivide);
  EXPECT_EQ(d.operation.text(), "/");
  EXPECT_TRUE(d.canSubstitute);
  EXPECT_EQ(d.args.length(), 2u);
  EXPECT_EQ(d.args.element(1).number(), 1);
  EXPECT_EQ(d.args.element(2).number(), 0);
  EXPECT_EQ(rec.errors[1]->operation.text(), "%");
  EXPECT_EQ(rec.errors[1]->genCode, gen::kZeroDivide);
}

TEST_F(ErrorProtocol, ArithmeticResults) {
  ErrorRecorder rec(Value(-1));  // a substitute
  EXPECT_EQ(DIVIDE(Value(1), Value(4)).number(), 0.25);
  EXPECT_EQ(MODULO(Value(-7), Value(3)).number(), -1);
  EXPECT_EQ(DIVIDE(Value(5), Value(0)).number(), -1);
  EXPECT_EQ(DIVIDE(Value(1e308), Value(1e-308)).number(), -1);  // overflow
  EXPECT_EQ(DIVIDE(Value("a"), Value(1)).number(), -1);
  ASSERT_EQ(rec.errors.size(), 3u);
  EXPECT_EQ(rec.errors[1]->genCode, gen::kNumeric);
  EXPECT_EQ(rec.errors[2]->genCode, gen::kArgument);
  EXPECT_EQ(rec.errors[2]->operation.text(), "/");
}

TEST_F(ErrorProtocol, ErrorblockReturnsThePreviousCallback) {
  Value a = Value::callback([](std::vector<Value>&) { return Value(); });
  Value b = Value::callback([](std::vector<Value>&) { return Value(); });
  ERRORBLOCK(Value());
  EXPECT_TRUE(ERRORBLOCK(a).isNil());
  EXPECT_TRUE(ERRORBLOCK(b).exactlyEquals(a));
  EXPECT_TRUE(ERRORBLOCK().exactlyEquals(b));
  // Not a callback: an argument error (to the callback in force), nothing changes.
  int calls = 0;
  Value counting = Value::callback([&](std::vector<Value>&) {
    ++calls;
    return Value(false);
  });
  ERRORBLOCK(counting);
  EXPECT_TRUE(ERRORBLOCK(Value(5)).exactlyEquals(counting));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(ERRORBLOCK().exactlyEquals(counting));
}

TEST_F(ErrorProtocol, BreakFromTheCallbackLandsInTheInnermostProtectedBlock) {
  ERRORBLOCK(Value::callback([](std::vector<Value>& args) -> Value { BREAK(args[0]); }));
  std::vector<std::string> trace;
  bool outerOk = protectedBlock([&] {
    EXPECT_EQ(protectedDepth(), 1);
    bool innerOk = protectedBlock(
        [&] {
          EXPECT_EQ(protectedDepth(), 2);
          DIVIDE(Value(1), Value(0));
          trace.push_back("not reached");
        },
        [&](const Value& v) {
          EXPECT_EQ(protectedDepth(), 1);  // the recovery runs outside its block
          auto e = v.as<Error>();
          ASSERT_NE(e, nullptr);
          trace.push_back("recovered " + e->operation.text());
        });
    EXPECT_FALSE(innerOk);
    trace.push_back("after inner");
  });
  EXPECT_TRUE(outerOk);
  EXPECT_EQ(protectedDepth(), 0);
  EXPECT_EQ(trace, (std::vector<std::string>{"recovered /", "after inner"}));
}

TEST_F(ErrorProtocol, BreakInARecoveryPartGoesToTheEnclosingBlock) {
  Value got;
  protectedBlock([] { protectedBlock([] { BREAK(Value(1)); }, [](const Value&) { _BREAK(Value(2)); }); },
                 [&](const Value& v) { got = v; });
  EXPECT_EQ(got.number(), 2);
  EXPECT_EQ(protectedDepth(), 0);
}

TEST_F(ErrorProtocol, OtherExceptionsPassThroughProtectedBlocksAndKeepTheDepthRight) {
  EXPECT_THROW(protectedBlock([] { throw std::runtime_error("x"); }), std::runtime_error);
  EXPECT_EQ(protectedDepth(), 0);
}

TEST_F(ErrorProtocol, ACallbackThatKeepsFailingDoesNotOverflowTheStack) {
  int calls = 0;
  ERRORBLOCK(Value::callback([&](std::vector<Value>&) {
    ++calls;
    DIVIDE(Value(1), Value(0));  // the handler fails again, and again...
    return Value(false);
  }));
  testing::internal::CaptureStderr();
  int code = startProgram(test::programOf([] {
    DIVIDE(Value(1), Value(0));
    return Value();
  }));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Zero divide"), std::string::npos);
  EXPECT_EQ(code, 1);
  EXPECT_GT(calls, 10);
  EXPECT_LT(calls, 1000);
}

TEST_F(ErrorProtocol, WithoutACallbackTheDescriptionGoesToStderrAndTheProgramQuitsWithOne) {
  ERRORBLOCK(Value());
  testing::internal::CaptureStderr();
  bool after = false;
  int code = startProgram(test::programOf([&] {
    LTRIM(Value(5));
    after = true;
    return Value();
  }));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(after);
  EXPECT_NE(err.find("Argument is not a character value"), std::string::npos) << err;
  EXPECT_NE(err.find("LTRIM"), std::string::npos) << err;
}

TEST(ErrorProtocolDeath, WithoutACallbackOutsideAProgramTheProcessExitsWithOne) {
  EXPECT_EXIT(
      {
        ERRORBLOCK(Value());
        DIVIDE(Value(1), Value(0));
      },
      testing::ExitedWithCode(1), "Zero divide");
}

TEST(ErrorProtocolDeath, QuitOutsideAProgramExitsWithTheErrorLevelAfterTheExitProcedures) {
  EXPECT_EXIT(
      {
        addExitProcedure([] { OUTERR("exit procedure ran\n"); });
        ERRORLEVEL(7);
        _QUIT();
      },
      testing::ExitedWithCode(7), "exit procedure ran");
}

TEST(ErrorProtocolDeath, StrayBreakOutsideAProgramEndsWithOne) {
  EXPECT_EXIT(BREAK(Value()), testing::ExitedWithCode(1), "Break outside");
}

TEST_F(ErrorProtocol, ErrorlevelReturnsThePreviousCode) {
  EXPECT_EQ(ERRORLEVEL(), 0);
  EXPECT_EQ(ERRORLEVEL(3), 0);
  EXPECT_EQ(ERRORLEVEL(1), 3);
  EXPECT_EQ(ERRORLEVEL(), 1);
}

}  // namespace
}  // namespace qv
