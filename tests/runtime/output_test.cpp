#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ErrorRecorder;
using test::RuntimeTest;

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class SettingsTest : public RuntimeTest {};

TEST_F(SettingsTest, StartUpValues) {
  EXPECT_TRUE(SET(setting::kConsole).exactlyEquals(Value(true)));
  EXPECT_TRUE(SET(setting::kAlternate).exactlyEquals(Value(false)));
  EXPECT_TRUE(SET(setting::kAlternateFile).exactlyEquals(Value("")));
  EXPECT_TRUE(SET(setting::kExtra).exactlyEquals(Value(false)));
  EXPECT_TRUE(SET(setting::kPrinter).exactlyEquals(Value(false)));
  EXPECT_TRUE(SET(setting::kEpoch).exactlyEquals(Value(false)));
  EXPECT_EQ(SET(setting::kDateFormat).text(), "mm/dd/yy");
  EXPECT_TRUE(SET(setting::kOptimize).isNumber());
}

TEST_F(SettingsTest, SwitchesTakeOnOffAndLogicalsAndReturnThePreviousValue) {
  struct Case {
    Value in;
    bool readBack;
  } cases[] = {{Value("OFF"), false}, {Value("on"), true},   {Value(" Off "), false},
               {Value(true), true},   {Value(false), false}, {Value("ON"), true}};
  for (int n : {setting::kConsole, setting::kAlternate, setting::kExtra, setting::kPrinter, setting::kEpoch}) {
    for (const auto& c : cases) {
      Value before = SET(n);
      Value previous = SET(n, c.in);
      EXPECT_TRUE(previous.exactlyEquals(before));
      EXPECT_TRUE(SET(n).exactlyEquals(Value(c.readBack))) << n << " " << displayForm(c.in);
    }
  }
}

TEST_F(SettingsTest, BadValuesRaiseAnErrorAndLeaveTheSettingAlone) {
  ErrorRecorder rec;
  SET(setting::kConsole, Value("maybe"));
  SET(setting::kAlternate, Value(1));
  SET(setting::kDateFormat, Value(4));
  SET(setting::kAlternateFile, Value::array({}));
  SET(-1);
  SET(100000, Value(1));
  EXPECT_EQ(rec.errors.size(), 6u);
  for (const auto& e : rec.errors) EXPECT_EQ(e->operation.text(), "SET");
  EXPECT_TRUE(SET(setting::kConsole).logical());
  EXPECT_FALSE(SET(setting::kAlternate).logical());
  EXPECT_EQ(SET(setting::kDateFormat).text(), "mm/dd/yy");
}

TEST_F(SettingsTest, OtherSettingsHoldWhatTheyAreGiven) {
  EXPECT_TRUE(SET(41, Value(2)).isNumber());
  EXPECT_EQ(SET(41).number(), 2);
  EXPECT_TRUE(SET(60, Value("x")).isNil());
  EXPECT_EQ(SET(60).text(), "x");
  resetSettings();
  EXPECT_TRUE(SET(60).isNil());
}

// Real files in a fresh directory per test.
class AlternateFile : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    char tmpl[] = "/tmp/qv-runtime-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    SET(setting::kConsole, Value(false));  // keep the test output clean
  }
  void TearDown() override {
    RuntimeTest::TearDown();
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  fs::path dir;
};

TEST_F(AlternateFile, LinesGoToTheFileWithALineBreakBeforeEach) {
  SET(setting::kAlternateFile, Value(path("out.txt")), Value(false));
  SET(setting::kAlternate, Value("ON"));
  QOUT({Value("first"), Value(12), Value(true)});
  QQOUT({Value("-"), Value()});
  QOUT();
  EXPECT_EQ(SET(setting::kAlternateFile).text(), path("out.txt"));
  SET(setting::kAlternateFile, Value(""));
  EXPECT_EQ(readFile(path("out.txt")), "\nfirst         12 .T.- NIL\n");
  EXPECT_EQ(SET(setting::kAlternateFile).text(), "");
}

TEST_F(AlternateFile, AlternateOffOrNoFileWritesNothingThere) {
  SET(setting::kAlternateFile, Value(path("out.txt")), Value(false));
  QOUT({Value("while off")});
  SET(setting::kAlternate, Value(true));
  QOUT({Value("while on")});
  SET(setting::kAlternateFile, Value(""));
  QOUT({Value("no file")});
  EXPECT_EQ(readFile(path("out.txt")), "\nwhile on");
}

TEST_F(AlternateFile, FalseStartsTheFileAnewOtherwiseItAppends) {
  std::ofstream(path("log")) << "old";
  SET(setting::kAlternate, Value(true));
  SET(setting::kAlternateFile, Value(path("log")));
  QQOUT({Value("+more")});
  SET(setting::kAlternateFile, Value(""));
  EXPECT_EQ(readFile(path("log")), "old+more");
  SET(setting::kAlternateFile, Value(path("log")), Value(false));
  QQOUT({Value("new")});
  SET(setting::kAlternateFile, Value(""));
  EXPECT_EQ(readFile(path("log")), "new");
}

TEST_F(AlternateFile, SwitchingToAnotherFileClosesTheFirst) {
  SET(setting::kAlternate, Value(true));
  SET(setting::kAlternateFile, Value(path("a")), Value(false));
  QQOUT({Value("A")});
  Value previous = SET(setting::kAlternateFile, Value(path("b")), Value(false));
  EXPECT_EQ(previous.text(), path("a"));
  QQOUT({Value("B")});
  resetSettings();  // closes it as well
  EXPECT_EQ(readFile(path("a")), "A");
  EXPECT_EQ(readFile(path("b")), "B");
}

TEST_F(AlternateFile, ANameThatCannotBeOpenedRaisesACreateError) {
  std::vector<std::pair<std::string, std::string>> names;  // what, path
  std::ofstream(path("readonly")) << "keep";
  fs::permissions(path("readonly"), fs::perms::owner_read, fs::perm_options::replace);
  names.emplace_back("read-only file", path("readonly"));
  std::ofstream(path("target")) << "target";
  fs::create_symlink(path("target"), path("link"));
  names.emplace_back("symbolic link", path("link"));
  fs::create_directory(path("subdir"));
  names.emplace_back("directory", path("subdir"));
  names.emplace_back("missing directory", path("nowhere/file"));
  names.emplace_back("embedded NUL", path("a") + std::string("\0b", 2));
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
  names.emplace_back("fifo", path("fifo"));

  SET(setting::kAlternate, Value(true));
  SET(setting::kAlternateFile, Value(path("good")), Value(false));
  for (const auto& [what, name] : names) {
    SCOPED_TRACE(what);
    ErrorRecorder rec(Value(false));
    Value previous = SET(setting::kAlternateFile, Value(name), Value(false));
    EXPECT_EQ(previous.text(), path("good"));
    ASSERT_EQ(rec.errors.size(), 1u);
    const Error& e = *rec.errors[0];
    EXPECT_EQ(e.genCode, gen::kCreate);
    EXPECT_TRUE(e.canRetry);
    EXPECT_NE(e.osCode, 0);
    EXPECT_EQ(e.fileName.text(), name);
    // The file in use stays in use.
    EXPECT_EQ(SET(setting::kAlternateFile).text(), path("good"));
  }
  QQOUT({Value("still here")});
  SET(setting::kAlternateFile, Value(""));
  EXPECT_EQ(readFile(path("good")), "still here");
  EXPECT_EQ(readFile(path("target")), "target");  // the link's target is untouched
  EXPECT_EQ(readFile(path("readonly")), "keep");  // refused even when running as root
}

TEST_F(AlternateFile, AReadOnlyDirectoryRefusesANewFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can write anywhere";
  fs::create_directory(path("ro"));
  fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  ErrorRecorder rec;
  SET(setting::kAlternateFile, Value(path("ro/x")), Value(false));
  ASSERT_EQ(rec.errors.size(), 1u);
  EXPECT_EQ(rec.errors[0]->osCode, EACCES);
}

TEST_F(AlternateFile, RetryAfterTheCauseIsGoneOpensTheFile) {
  ErrorRecorder rec;
  rec.decide = [&](Error&) {
    fs::create_directory(path("later"));  // the user fixes the problem, then retries
    return Value(true);
  };
  SET(setting::kAlternateFile, Value(path("later/f")), Value(false));
  EXPECT_EQ(rec.errors.size(), 1u);
  EXPECT_EQ(rec.errors[0]->tries, 1);
  EXPECT_EQ(SET(setting::kAlternateFile).text(), path("later/f"));
}

TEST_F(AlternateFile, AFailedWriteIsAWriteErrorAndRetryWritesTheRest) {
  // A file-size limit makes the system refuse the write past 5 bytes.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  SET(setting::kAlternate, Value(true));
  SET(setting::kAlternateFile, Value(path("small")), Value(false));
  rlimit small = saved;
  small.rlim_cur = 5;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ErrorRecorder rec;
  rec.decide = [&](Error&) {
    setrlimit(RLIMIT_FSIZE, &saved);  // room again: try once more
    return Value(true);
  };
  QQOUT({Value("abcdefghij")});
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(rec.errors.size(), 1u);
  EXPECT_EQ(rec.errors[0]->genCode, gen::kWrite);
  EXPECT_EQ(rec.errors[0]->osCode, EFBIG);
  EXPECT_EQ(rec.errors[0]->fileName.text(), path("small"));
  SET(setting::kAlternateFile, Value(""));
  EXPECT_EQ(readFile(path("small")), "abcdefghij");
}

TEST_F(AlternateFile, ABreakingCallbackLeavesSettingsConsistent) {
  ERRORBLOCK(Value::callback([](std::vector<Value>& a) -> Value { BREAK(a[0]); }));
  bool ok = protectedBlock([&] { SET(setting::kAlternateFile, Value(path("none/x")), Value(false)); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(SET(setting::kAlternateFile).text(), "");
}

TEST_F(RuntimeTest, ConsoleOutputFollowsSetting17) {
  testing::internal::CaptureStdout();
  QOUT({Value("a"), Value("b")});
  QQOUT({Value(1)});
  SET(setting::kConsole, Value("OFF"));
  QOUT({Value("hidden")});
  SET(setting::kConsole, Value("ON"));
  QOUT();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\na b         1\n");
}

TEST_F(RuntimeTest, OuterrWritesToStandardError) {
  testing::internal::CaptureStderr();
  OUTERR("\n\rmessage");
  TONE(660, 5);  // stderr is no terminal here: silent
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "\n\rmessage");
}

TEST_F(RuntimeTest, LineOutputMovesTheTextCursor) {
  SET(setting::kConsole, Value(false));
  SETPOS(3, 4);
  EXPECT_EQ(ROW(), 3);
  EXPECT_EQ(COL(), 4);
  QQOUT({Value("abc")});
  EXPECT_EQ(COL(), 7);
  QOUT({Value("xy")});
  EXPECT_EQ(ROW(), 4);
  EXPECT_EQ(COL(), 2);
  SETPOS(-1, -5);
  EXPECT_EQ(ROW(), 0);
  EXPECT_EQ(COL(), 0);
  SETPOS(INT_MAX, INT_MAX);  // bounded, so that moving on cannot overflow
  QQOUT({Value("x")});
  QOUT();
  EXPECT_GT(ROW(), 1000000);
  EXPECT_EQ(COL(), 0);
  // Output that is no terminal gets no cursor escapes.
  SET(setting::kConsole, Value(true));
  testing::internal::CaptureStdout();
  SETPOS(2, 2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace qv
