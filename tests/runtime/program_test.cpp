#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support.h"

namespace qv {
namespace {

using test::ErrorRecorder;
using test::RuntimeTest;

// ---- the call stack ---------------------------------------------------------------------

void innerRoutine(std::vector<std::pair<std::string, int>>& seen) {
  QV_ROUTINE("Inner");
  QV_LINE();
  const int here = __LINE__ - 1;
  for (int level = 0; !PROCNAME(level).empty(); ++level) seen.emplace_back(PROCNAME(level), PROCLINE(level));
  EXPECT_EQ(PROCLINE(0), here);
}

void outerRoutine(std::vector<std::pair<std::string, int>>& seen, int& recorded) {
  QV_ROUTINE("Outer");
  QV_LINE();
  recorded = __LINE__ - 1;
  innerRoutine(seen);
}

TEST(CallStack, LevelsCountOutwardFromTheRoutineThatAsks) {
  std::vector<std::pair<std::string, int>> seen;
  int recorded = 0;
  outerRoutine(seen, recorded);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, "Inner");
  EXPECT_EQ(seen[1].first, "Outer");
  EXPECT_EQ(seen[1].second, recorded);  // the line Outer last recorded
  EXPECT_EQ(PROCNAME(0), "");                // all frames are gone again
  EXPECT_EQ(PROCNAME(-1), "");
  EXPECT_EQ(PROCLINE(5), 0);
}

TEST(CallStack, FramesArePoppedWhenABreakUnwindsThem) {
  protectedBlock([] {
    QV_ROUTINE("Body");
    [] {
      QV_ROUTINE("Deep");
      BREAK();
    }();
  });
  EXPECT_EQ(PROCNAME(0), "");
}

TEST(CallStack, TheErrorCallbackSeesTheRaisingRoutineTwoLevelsOut) {
  std::string raisedIn;
  ERRORBLOCK(Value::callback([&](std::vector<Value>&) {
    QV_ROUTINE("ErrorCallback");
    [&] {
      QV_ROUTINE("Handler");
      raisedIn = PROCNAME(2);
    }();
    return Value(false);
  }));
  [] {
    QV_ROUTINE("Failing");
    DIVIDE(Value(1), Value(0));  // the platform's own functions add no frame
  }();
  ERRORBLOCK(Value());
  EXPECT_EQ(raisedIn, "Failing");
}

TEST(CallStack, DosErrorMessageIsTheSystemText) {
  EXPECT_EQ(DOSERRORMESSAGE(ENOENT), std::string(std::strerror(ENOENT)));
  EXPECT_FALSE(DOSERRORMESSAGE(5).empty());
  EXPECT_FALSE(DOSERRORMESSAGE(-12345).empty());
}

// ---- start-up -------------------------------------------------------------------------

using StartProgram = RuntimeTest;

TEST_F(StartProgram, RunsTheRolesErrorSystemFirstMainLastThenTheExitProcedures) {
  std::vector<std::string> order;
  auto role = [&](const char* name) {
    return [&order, name] {
      order.push_back(name);
      return Value();
    };
  };
  Roles roles{role("errorSys"), role("dbeSys"), role("appSys"), role("main"), [&] {
                order.push_back("register");
                addExitProcedure([&] { order.push_back("exit"); });
              }};
  EXPECT_EQ(startProgram(roles), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"errorSys", "dbeSys", "appSys", "register", "main", "exit"}));
  runExitProcedures();  // once only
  EXPECT_EQ(order.size(), 6u);
}

TEST_F(StartProgram, QuitEndsMainWithTheErrorLevelAndStillRunsTheExitProcedures) {
  bool exitRan = false, afterQuit = false;
  int code = startProgram(test::programOf([&] {
    addExitProcedure([&] { exitRan = true; });
    ERRORLEVEL(1);
    protectedBlock([] { _QUIT(); });  // a protected block does not stop a quit
    afterQuit = true;
    return Value();
  }));
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(exitRan);
  EXPECT_FALSE(afterQuit);
}

TEST_F(StartProgram, StrayBreaksAndExceptionsEndTheProgramWithOne) {
  struct Case {
    const char* what;
    std::function<void()> fail;
    int presetLevel, code;
  } cases[] = {
      {"break", [] { BREAK(Value("x")); }, 0, 1},
      {"break keeps a chosen code", [] { BREAK(); }, 4, 4},
      {"exception", [] { throw std::runtime_error("boom"); }, 0, 1},
      {"anything", [] { throw 42; }, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool exitRan = false;
    testing::internal::CaptureStderr();
    int code = startProgram(test::programOf(
        [&] {
          ERRORLEVEL(c.presetLevel);
          c.fail();
          return Value();
        },
        [&] { addExitProcedure([&] { exitRan = true; }); }));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, c.code);
    EXPECT_TRUE(exitRan);
    EXPECT_FALSE(err.empty());
  }
}

TEST_F(StartProgram, AFailingExitProcedureDoesNotStopTheOthers) {
  std::vector<int> ran;
  testing::internal::CaptureStderr();
  int code = startProgram(test::programOf({}, [&] {
    addExitProcedure([&] {
      ran.push_back(1);
      BREAK();  // no protected block: the procedure ends here
    });
    addExitProcedure([&] {
      ran.push_back(2);
      _QUIT();
    });
    addExitProcedure([&] { ran.push_back(3); });
  }));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(code, 1);
}

TEST_F(StartProgram, ErrorInMainReachesTheCallbackInstalledByTheErrorSystem) {
  std::vector<double> codes;
  int code = startProgram(test::programOf(
      [] {
        DIVIDE(Value(1), Value(0));
        return Value();
      },
      {},
      [&] {
        ERRORBLOCK(Value::callback([&](std::vector<Value>& a) {
          codes.push_back(a[0].as<Error>()->genCode);
          return Value(0);
        }));
        return Value();
      }));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(codes, std::vector<double>{gen::kZeroDivide});
}

TEST_F(StartProgram, VersionAndEnvironment) {
  Version v = platformVersion();
  EXPECT_GE(v.major * 10000 + v.minor * 100 + v.revision, 18200);
  EXPECT_EQ(VERSION(), std::to_string(v.major) + "." + std::to_string(v.minor));
  EXPECT_EQ(VERSION(3), std::to_string(v.revision));
  setPlatformVersionForTesting(Version{1, 81, 9});
  EXPECT_EQ(platformVersion().minor, 81);
  EXPECT_EQ(VERSION() + "." + VERSION(3), "1.81.9");
  setPlatformVersionForTesting(std::nullopt);
  EXPECT_EQ(platformVersion().major, v.major);
  EXPECT_EQ(OS().rfind("Linux ", 0), 0u) << OS();
  EXPECT_EQ(APPNAME(true), std::filesystem::canonical("/proc/self/exe").string());
  EXPECT_EQ(APPNAME(false), "runtime_tests");
}

TEST_F(StartProgram, AppTypeWindowAndRootConsole) {
  EXPECT_EQ(APPTYPE(), kAppTypeGui);
  setAppType(kAppTypeText);
  EXPECT_EQ(APPTYPE(), kAppTypeText);
  EXPECT_EQ(SETAPPWINDOW(), nullptr);
  ObjectPtr root = ROOTCRT();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root, ROOTCRT());
  EXPECT_EQ(root->className(), "RootCrt");
  auto window = std::make_shared<Object>();
  EXPECT_EQ(SETAPPWINDOW(window), nullptr);
  EXPECT_EQ(SETAPPWINDOW(root), window);
  // A window of another class is not a text console; the console itself is.
  EXPECT_FALSE(window->IsDerivedFrom(root->className()));
  EXPECT_TRUE(SETAPPWINDOW()->IsDerivedFrom(root->className()));
}

// ---- database engines and work areas --------------------------------------------------------

using Database = RuntimeTest;

TEST_F(Database, EnginesLoadByKnownNameAndBuildFromTwoLoadedOnes) {
  EXPECT_FALSE(DBEBUILD("DBFNTX", "DBFDBE", "NTXDBE"));  // nothing loaded yet
  for (const char* name : {"DBFDBE", "NTXDBE", "DELDBE", "sdfdbe"}) EXPECT_TRUE(DBELOAD(name, true)) << name;
  EXPECT_FALSE(DBELOAD("FOXDBE", true));
  EXPECT_FALSE(DBELOAD("", false));
  EXPECT_TRUE(dbeIsLoaded("SDFDBE"));
  EXPECT_TRUE(DBEBUILD("DBFNTX", "DBFDBE", "NTXDBE"));
  EXPECT_TRUE(dbeIsLoaded("dbfntx"));
  EXPECT_FALSE(DBEBUILD("DBFNTX", "DBFDBE", "NTXDBE"));  // the name is taken
  EXPECT_FALSE(DBEBUILD("DBFDBE", "DELDBE", "NTXDBE"));
  EXPECT_FALSE(DBEBUILD("", "DELDBE", "NTXDBE"));
  EXPECT_FALSE(DBEBUILD("X", "DBFDBE", "FOXDBE"));
}

TEST_F(Database, AnEngineMadeToFailBreaksTheBuildThatNeedsIt) {
  failEngineLoadForTesting("DBFDBE", true);
  EXPECT_FALSE(DBELOAD("DBFDBE", true));
  EXPECT_TRUE(DBELOAD("NTXDBE", true));
  EXPECT_FALSE(DBEBUILD("DBFNTX", "DBFDBE", "NTXDBE"));
  failEngineLoadForTesting("DBFDBE", false);
  EXPECT_TRUE(DBELOAD("DBFDBE", true));
  EXPECT_TRUE(DBEBUILD("DBFNTX", "DBFDBE", "NTXDBE"));
}

class ScriptedArea : public WorkArea {
  QV_CLASS(ScriptedArea, WorkArea)
 public:
  explicit ScriptedArea(std::string n, std::vector<std::string>* log) : name(std::move(n)), log_(log) {}
  bool commit() override { return record("commit", commitOk); }
  bool close() override { return record("close", closeOk); }
  bool rollback() override { return record("rollback", true); }
  std::string name;
  bool commitOk = true, closeOk = true;

 private:
  bool record(const char* what, bool ok) {
    log_->push_back(name + " " + what);
    return ok;
  }
  std::vector<std::string>* log_;
};

TEST_F(Database, OperationsActOnTheSelectedAreaAndFailuresRaiseErrors) {
  std::vector<std::string> log;
  auto a = std::make_shared<ScriptedArea>("a", &log);
  auto b = std::make_shared<ScriptedArea>("b", &log);
  b->commitOk = false;
  openWorkArea(a);
  openWorkArea(b);
  EXPECT_EQ(WORKSPACELIST().length(), 2u);
  EXPECT_EQ(DBSELECTED().object(), b);  // the last one opened
  ErrorRecorder rec;
  inWorkArea(Value(a), [] { DBCOMMIT(); });
  EXPECT_TRUE(rec.errors.empty());
  EXPECT_EQ(DBSELECTED().object(), b);  // selection restored
  inWorkArea(WORKSPACELIST().element(2), [] { DBCOMMIT(); });
  ASSERT_EQ(rec.errors.size(), 1u);
  EXPECT_EQ(rec.errors[0]->subSystem.text(), "DBFNTX");
  EXPECT_EQ(rec.errors[0]->genCode, 40);
  EXPECT_EQ(rec.errors[0]->operation.text(), "DBCOMMIT");
  EXPECT_EQ(log, (std::vector<std::string>{"a commit", "b commit"}));
}

TEST_F(Database, NoSelectedAreaIsAnError) {
  ErrorRecorder rec;
  DBCOMMIT();
  DBCLOSEAREA();
  DBRROLLBACK();
  ASSERT_EQ(rec.errors.size(), 3u);
  EXPECT_EQ(rec.errors[0]->description.text(), "Work area not in use");
  inWorkArea(Value(5), [] { ADD_FAILURE() << "must not run"; });
  EXPECT_EQ(rec.errors.size(), 4u);
}

TEST_F(Database, ClosedAreasLeaveTheListEvenWhenTheCloseFails) {
  std::vector<std::string> log;
  auto a = std::make_shared<ScriptedArea>("a", &log);
  auto b = std::make_shared<ScriptedArea>("b", &log);
  a->closeOk = false;
  openWorkArea(a);
  openWorkArea(b);
  ErrorRecorder rec;
  inWorkArea(Value(a), [] { DBCLOSEAREA(); });
  EXPECT_EQ(rec.errors.size(), 1u);
  ASSERT_EQ(WORKSPACELIST().length(), 1u);
  EXPECT_EQ(WORKSPACELIST().element(1).object(), b);
  EXPECT_EQ(DBSELECTED().object(), b);
  DBCLOSEAREA();
  EXPECT_EQ(WORKSPACELIST().length(), 0u);
  EXPECT_TRUE(DBSELECTED().isNil());
}

TEST_F(Database, ACloseThatBreaksOutLeavesNoClosedAreaBehind) {
  std::vector<std::string> log;
  auto a = std::make_shared<ScriptedArea>("a", &log);
  a->closeOk = false;
  openWorkArea(a);
  ERRORBLOCK(Value::callback([](std::vector<Value>& e) -> Value { BREAK(e[0]); }));
  EXPECT_FALSE(protectedBlock([] { DBCLOSEAREA(); }));
  EXPECT_EQ(WORKSPACELIST().length(), 0u);
  EXPECT_TRUE(DBSELECTED().isNil());
}

TEST_F(Database, TheExitRoutinesPatternCommitsOrRollsBackEachArea) {
  // Commit-and-close in a protected block, rollback-and-close when it breaks.
  std::vector<std::string> log;
  auto a = std::make_shared<ScriptedArea>("a", &log);
  auto b = std::make_shared<ScriptedArea>("b", &log);
  a->commitOk = false;
  openWorkArea(a);
  openWorkArea(b);
  Value saved = ERRORBLOCK(Value::callback([](std::vector<Value>& e) -> Value { BREAK(e[0]); }));
  Value list = WORKSPACELIST();
  for (std::size_t i = 1; i <= list.length(); ++i) {
    Value area = list.element(i);
    protectedBlock(
        [&] {
          inWorkArea(area, [] { DBCOMMIT(); });
          inWorkArea(area, [] { DBCLOSEAREA(); });
        },
        [&](const Value&) {
          inWorkArea(area, [] { DBRROLLBACK(); });
          inWorkArea(area, [] { DBCLOSEAREA(); });
        });
  }
  ERRORBLOCK(saved);
  EXPECT_EQ(log, (std::vector<std::string>{"a commit", "a rollback", "a close", "b commit", "b close"}));
  EXPECT_EQ(WORKSPACELIST().length(), 0u);
}

TEST_F(Database, NoSessionsAndNoSessionClass) {
  EXPECT_TRUE(DBSESSION().isNil());
  EXPECT_FALSE(ISFUNCTION("DacSession", 67));
  EXPECT_FALSE(ISFUNCTION("NoSuchFunction", 0));
  EXPECT_TRUE(ISFUNCTION("dbcommit", 0));
}

}  // namespace
}  // namespace qv
