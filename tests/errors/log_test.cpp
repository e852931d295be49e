// ErrorLog: the log's text line by line, the file-name search, the settings and the end of
// the program when no name can be opened.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "support.h"

namespace qvtest {
namespace {

using qv::Value;
namespace fs = std::filesystem;

const std::string kSeparator(78, '-');

class LogTest : public ErrorsTest {
 protected:
  // The error object `op` raises, caught before any handler sees it.
  qv::ErrorPtr errorOf(const std::function<void()>& op) {
    qv::ErrorPtr caught;
    const Value handler = qv::ERRORBLOCK(Value::callback([&](std::vector<Value>& a) -> Value {
      caught = a[0].as<qv::Error>();
      return false;
    }));
    op();
    qv::ERRORBLOCK(handler);
    return caught;
  }

  static std::string member(const std::string& label, const Value& v) {
    return label + " " + (v.isText() ? v.text() : qv::displayForm(v));
  }

  // The log's lines from "oError:args" up to the first member line.
  static std::vector<std::string> argLines(const std::string& log) {
    std::vector<std::string> out;
    bool in = false;
    for (const auto& line : splitLines(log)) {
      if (line.rfind("oError:canDefault", 0) == 0) break;
      if (in) out.push_back(line);
      if (line == "oError:args         :") in = true;
    }
    return out;
  }
};

int raiseLine = 0;
int mainLine = 0;

void raisesForLog() {
  QV_ROUTINE("RaisesForLog");
  QV_LINE(); raiseLine = __LINE__; qv::LTRIM(5);
}

TEST_F(LogTest, LogOfARealFailingOperationLineByLine) {
  const qv::ErrorPtr twin = errorOf([] { qv::LTRIM(5); });
  ASSERT_TRUE(twin);
  std::string logWhenTold;
  onBox_ = [&](const qv::BoxRecord& r) {
    if (r.kind == "MSGBOX") logWhenTold = readFile("QVXERROR.LOG");
  };
  respond({qv::box::kResultOk});  // OK of the OK, Cancel box: exit with the log
  const int code = runProgram([] {
    QV_ROUTINE("TestMain");
    QV_LINE(); mainLine = __LINE__; raisesForLog();
  });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(qv::shownBoxes().size(), 2u);
  EXPECT_EQ(qv::shownBoxes()[1].kind, "MSGBOX");
  EXPECT_EQ(qv::shownBoxes()[1].text, "Error log was written to the file QVXERROR.LOG");

  const std::string log = readFile("QVXERROR.LOG");
  EXPECT_EQ(logWhenTold, log) << "the log must be complete on disk before the user is told";
  std::vector<std::string> lines = splitLines(log);
  ASSERT_GT(lines.size(), 3u);
  const std::string headerStart = "ERROR LOG of \"" + qv::APPNAME(true) + "\" Date: ";
  ASSERT_EQ(lines[2].rfind(headerStart, 0), 0u) << lines[2];
  EXPECT_TRUE(std::regex_match(lines[2].substr(headerStart.size()),
                               std::regex("[0-9/.-]+ [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << lines[2];
  lines[2] = "(header)";
  const std::vector<std::string> expected = {
      "",
      kSeparator,
      "(header)",
      "",
      "Quorvex version     : " + qv::VERSION() + "." + qv::VERSION(3),
      "Operating system    : " + qv::OS(),
      kSeparator,
      "oError:args         :",
      "          -> VALTYPE: N VALUE: " + qv::VAR2CHAR(5),
      member("oError:canDefault   :", twin->canDefault),
      member("oError:canRetry     :", twin->canRetry),
      member("oError:canSubstitute:", twin->canSubstitute),
      member("oError:cargo        :", twin->cargo),
      member("oError:description  :", twin->description),
      member("oError:filename     :", twin->fileName),
      member("oError:genCode      :", twin->genCode),
      member("oError:operation    :", twin->operation),
      member("oError:osCode       :", twin->osCode),
      member("oError:severity     :", twin->severity),
      member("oError:subCode      :", twin->subCode),
      member("oError:subSystem    :", twin->subSystem),
      member("oError:thread       :", twin->thread),
      member("oError:tries        :", twin->tries),
      kSeparator,
      "CALLSTACK:",
      kSeparator,
      "Called from RaisesForLog(" + std::to_string(raiseLine) + ")",
      "Called from TestMain(" + std::to_string(mainLine) + ")",
      "",
  };
  EXPECT_EQ(lines, expected);
  // Values of the fixed types, as a reader of the log sees them.
  EXPECT_EQ(lines[13], "oError:description  : " + twin->description.text());
  EXPECT_EQ(lines[16], "oError:operation    : LTRIM");
}

TEST_F(LogTest, ArgumentLines) {
  struct Case {
    const char* name;
    Value args;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"NIL", Value(), {"           -> NIL"}},
      {"not an array", Value("1, 0"), {"           -> NIL"}},
      {"empty array", Value::array({}), {}},
      {"division",
       Value::array({1, 0}),
       {"          -> VALTYPE: N VALUE: " + qv::VAR2CHAR(1), "          -> VALTYPE: N VALUE: " + qv::VAR2CHAR(0)}},
      {"object, text and NIL",
       Value::array({Value(std::make_shared<qv::Error>()), "abc", Value()}),
       {"          -> VALTYPE: O CLASS: Error", "          -> VALTYPE: C VALUE: " + qv::VAR2CHAR("abc"),
        "          -> VALTYPE: U VALUE: " + qv::VAR2CHAR(Value())}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto e = std::make_shared<qv::Error>();
    e->args = c.args;
    qv::ErrorLog(e, 2);
    EXPECT_EQ(argLines(readFile("QVXERROR.LOG")), c.lines);
  }
}

// Root may write any file, so a name that cannot be opened is made a directory here.
TEST_F(LogTest, FileNameSearchSkipsNamesThatCannotBeOpened) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    const char* expected;
  };
  const Case cases[] = {
      {"nothing there", [] {}, "QVXERROR.LOG"},
      {"old log is overwritten",
       [] { std::ofstream("QVXERROR.LOG") << std::string(20000, '#') << "\n"; },
       "QVXERROR.LOG"},
      {"QVXERROR.LOG cannot be opened", [] { fs::create_directory("QVXERROR.LOG"); }, "QVXERROR.001"},
      {"LOG and 001 cannot be opened",
       [] {
         fs::create_directory("QVXERROR.LOG");
         fs::create_directory("QVXERROR.001");
       },
       "QVXERROR.002"},
      {"symbolic link to a file",
       [] {
         std::ofstream("target.txt") << "keep me\n";
         fs::create_symlink("target.txt", "QVXERROR.LOG");
       },
       "QVXERROR.001"},
      {"dangling symbolic link", [] { fs::create_symlink("missing.txt", "QVXERROR.LOG"); }, "QVXERROR.001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    qv::clearShownBoxes();
    c.prepare();
    auto e = std::make_shared<qv::Error>();
    e->description = "marker";
    qv::ErrorLog(e, 2);
    const std::string log = readFile(c.expected);
    EXPECT_EQ(log.rfind("\n" + kSeparator + "\n", 0), 0u) << log.substr(0, 100);
    EXPECT_NE(log.find("oError:description  : marker\n"), std::string::npos);
    EXPECT_EQ(log.find('#'), std::string::npos) << "the old content is gone";
    ASSERT_EQ(qv::shownBoxes().size(), 1u);
    EXPECT_EQ(qv::shownBoxes()[0].text, std::string("Error log was written to the file ") + c.expected);
    if (fs::is_symlink("QVXERROR.LOG")) {
      EXPECT_FALSE(fs::exists("missing.txt"));
      if (fs::exists("target.txt")) {
        EXPECT_EQ(readFile("target.txt"), "keep me\n");
      }
    }
  }
}

TEST_F(LogTest, NoNameCanBeOpenedEndsTheProgram) {
  fs::create_directory("QVXERROR.LOG");
  for (int i = 1; i <= 999; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "QVXERROR.%03d", i);
    fs::create_directory(name);
  }
  struct Case {
    const char* name;
    int appType;
  };
  for (const Case& c : {Case{"GUI", qv::kAppTypeGui}, Case{"text mode", qv::kAppTypeText}}) {
    SCOPED_TRACE(c.name);
    qv::setAppType(c.appType);
    qv::clearShownBoxes();
    bool returned = false;
    ::testing::internal::CaptureStderr();
    const int code = runProgram([&] {
      qv::ErrorLog(std::make_shared<qv::Error>(), 2);
      returned = true;
    });
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(returned);
    if (c.appType == qv::kAppTypeGui) {
      ASSERT_EQ(qv::shownBoxes().size(), 1u);
      EXPECT_EQ(qv::shownBoxes()[0].kind, "MSGBOX");
      EXPECT_EQ(qv::shownBoxes()[0].text, "Unable to open error log file");
    } else {
      EXPECT_TRUE(qv::shownBoxes().empty());
      EXPECT_NE(err.find("\n\rUnable to open error log file"), std::string::npos) << err;
    }
  }
}

TEST_F(LogTest, SettingsHoldTheirValuesAfterTheLog) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
  };
  const Case cases[] = {
      {"switches flipped",
       [] {
         qv::SET(qv::setting::kConsole, false);
         qv::SET(qv::setting::kAlternate, true);
         qv::SET(qv::setting::kExtra, true);
         qv::SET(qv::setting::kPrinter, true);
       }},
      {"an alternate file of the program's own", [] { qv::SET(qv::setting::kAlternateFile, "other.txt"); }},
  };
  const int watched[] = {17, 18, 19, 21, 23};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qv::resetSettings();
    c.prepare();
    std::vector<Value> before;
    for (int n : watched) before.push_back(qv::SET(n));
    qv::ErrorLog(std::make_shared<qv::Error>(), 2);
    for (std::size_t i = 0; i < before.size(); ++i) {
      SCOPED_TRACE(watched[i]);
      EXPECT_TRUE(qv::SET(watched[i]).exactlyEquals(before[i]))
          << qv::displayForm(qv::SET(watched[i])) << " vs " << qv::displayForm(before[i]);
    }
    EXPECT_TRUE(fs::exists("QVXERROR.LOG"));
  }
}

}  // namespace
}  // namespace qvtest
