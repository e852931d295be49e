// Start-up and shutdown: the version check, the database set-up and the exit routine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/database.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {
namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    installHeadlessBackend();
    clearShownBoxes();
    setBoxResponder({});
    resetSettings();
    resetDatabaseEngines();
    resetWorkAreas();
    ERRORBLOCK(Value());
  }
  void TearDown() override {
    setPlatformVersionForTesting(std::nullopt);
    for (const char* e : {"DBFDBE", "NTXDBE", "DELDBE", "SDFDBE"}) failEngineLoadForTesting(e, false);
    ERRORBLOCK(Value());
  }
  static std::vector<std::string> boxTexts() {
    std::vector<std::string> out;
    for (const auto& b : shownBoxes()) out.push_back(b.text);
    return out;
  }
};

TEST_F(Startup, APlatformOlderThan1_82RunsNothingAndAnswers999) {
  bool dialogSeen = false;
  setMainShownHook([&](const MainState&) { dialogSeen = true; });
  const std::string dateFormat = SET(setting::kDateFormat).text();
  setPlatformVersionForTesting(Version{1, 81, 99});

  EXPECT_EQ(EntryPoint(), 999);
  EXPECT_FALSE(dialogSeen);                            // Main did not run
  EXPECT_TRUE(ERRORBLOCK().isNil());                   // nor ErrorSys
  EXPECT_EQ(SET(setting::kDateFormat).text(), dateFormat);  // nor DbeSys
  EXPECT_FALSE(dbeIsLoaded("DBFDBE"));
  EXPECT_TRUE(shownBoxes().empty());
  setMainShownHook({});
}

TEST_F(Startup, Version1_82_0RunsEveryRoutineAndEndsWithExitCode0) {
  bool dialogSeen = false;
  setMainShownHook([&](const MainState&) { dialogSeen = true; });
  setPlatformVersionForTesting(Version{1, 82, 0});

  EXPECT_EQ(EntryPoint(), 0);  // the headless backend closes the idle window
  EXPECT_TRUE(dialogSeen);
  EXPECT_FALSE(ERRORBLOCK().isNil());
  EXPECT_TRUE(dbeIsLoaded("DBFNTX"));
  setMainShownHook({});
}

TEST_F(Startup, DbeSysSetsTheDateFormatFromTheFourDigitYearSetting) {
  SET(setting::kEpoch, true);
  DbeSys();
  EXPECT_EQ(SET(setting::kDateFormat).text(), "mm/dd/yyyy");
  EXPECT_EQ(SET(setting::kOptimize).number(), 2);
  resetDatabaseEngines();
  SET(setting::kEpoch, false);
  DbeSys();
  EXPECT_EQ(SET(setting::kDateFormat).text(), "mm/dd/yy");
}

TEST_F(Startup, DbeSysShowsOneBoxPerFailureInOrder) {
  struct Case {
    std::vector<std::string> failing;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {{}, {}},
      {{"SDFDBE"}, {"SDFDBE database engine not loaded"}},
      {{"DBFDBE"}, {"DBFDBE database engine not loaded", "DBFNTX database engine could not be created"}},
  };
  for (const auto& c : cases) {
    resetDatabaseEngines();
    clearShownBoxes();
    for (const auto& e : c.failing) failEngineLoadForTesting(e, true);
    DbeSys();
    EXPECT_EQ(boxTexts(), c.boxes);
    for (const auto& b : shownBoxes()) EXPECT_EQ(b.buttons, std::vector<std::string>{"OK"});
    for (const auto& e : c.failing) failEngineLoadForTesting(e, false);
    EXPECT_EQ(dbeIsLoaded("DBFNTX"), c.failing.empty() || c.failing[0] == "SDFDBE");
  }
}

// A work area that records what happened to it and fails where told to.
class TestArea : public WorkArea {
 public:
  TestArea(std::string name, std::vector<std::string>& log, bool failCommit = false, bool failRollback = false)
      : name_(std::move(name)), log_(log), failCommit_(failCommit), failRollback_(failRollback) {}
  bool commit() override {
    log_.push_back(name_ + " commit");
    return !failCommit_;
  }
  bool close() override {
    log_.push_back(name_ + " close");
    return true;
  }
  bool rollback() override {
    log_.push_back(name_ + " rollback");
    return !failRollback_;
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
  bool failCommit_, failRollback_;
};

TEST_F(Startup, AppExitCommitsOrRollsBackEveryWorkAreaAndRestoresTheErrorCallback) {
  struct Case {
    std::vector<std::pair<bool, bool>> areas;  // fail commit, fail rollback
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {{}, {}},
      {{{false, false}}, {"A commit", "A close"}},
      {{{true, false}, {false, false}}, {"A commit", "A rollback", "A close", "B commit", "B close"}},
      // A failing rollback does not cost the next work area its own attempt.
      {{{true, true}, {false, false}}, {"A commit", "A rollback", "B commit", "B close"}},
  };
  for (const auto& c : cases) {
    resetWorkAreas();
    std::vector<std::string> log;
    char name = 'A';
    for (auto [failCommit, failRollback] : c.areas)
      openWorkArea(std::make_shared<TestArea>(std::string(1, name++), log, failCommit, failRollback));
    int handlerCalls = 0;
    const Value handler = Value::callback([&](std::vector<Value>&) {
      ++handlerCalls;
      return Value(false);
    });
    ERRORBLOCK(handler);

    EXPECT_TRUE(AppExit().isNil());
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(handlerCalls, 0);  // nothing reached the program's handler
    EXPECT_TRUE(ERRORBLOCK().exactlyEquals(handler));
  }
}

}  // namespace
}  // namespace qv
