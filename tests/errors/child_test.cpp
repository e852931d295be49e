// The handler in a process of its own: the text-mode alert answered through standard
// input, and a program-ending error that leaves the log behind.
#include <filesystem>

#include "support.h"

namespace qvtest {
namespace {

namespace fs = std::filesystem;

class ChildTest : public ErrorsTest {};

// Options in order: Cancel, Exit with LOG file, then Retry when allowed, then Ignore when
// allowed.
TEST_F(ChildTest, TextModeAlertChoices) {
  struct Case {
    const char* name;
    const char* canRetry;
    const char* canDefault;
    const char* input;
    const char* outcome;  // printed by the child; nullptr: it ended with the log
  };
  const Case cases[] = {
      {"four options: Retry", "1", "1", "3\n", "retry"},
      {"four options: Ignore", "1", "1", "4\n", "default"},
      {"four options: Cancel", "1", "1", "1\n", "break"},
      {"four options: Exit", "1", "1", "2\n", nullptr},
      {"three options: Ignore is third", "0", "1", "3\n", "default"},
      {"three options: Retry is third", "1", "0", "3\n", "retry"},
      {"empty line and a wrong word, then Cancel", "1", "1", "\nmaybe\n1\n", "break"},
      {"a label instead of a number", "1", "1", "ignore\n", "default"},
      {"two options: out of range, then end of input", "0", "0", "3\n", nullptr},
      {"end of input at once", "1", "1", "", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    const ChildResult r = runChild({"dialog", c.canRetry, c.canDefault}, c.input, dir_);
    EXPECT_NE(r.out.find("Exit with LOG file"), std::string::npos) << r.out;
    if (c.outcome) {
      EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
      EXPECT_NE(r.out.find(std::string("outcome: ") + c.outcome + "\n"), std::string::npos) << r.out;
      EXPECT_FALSE(fs::exists(dir_ / "QVXERROR.LOG"));
    } else {
      EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
      EXPECT_EQ(r.out.find("outcome:"), std::string::npos) << r.out;
      EXPECT_NE(readFile(dir_ / "QVXERROR.LOG").find("oError:description  : Cannot open the file\n"),
                std::string::npos);
      // The application window is the text console: the log and the message go to it, not
      // to the standard error output.
      EXPECT_NE(r.out.find("\nCALLSTACK:\n"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("\nError log was written to the file QVXERROR.LOG"), std::string::npos) << r.out;
      EXPECT_EQ(r.err.find("Error log was written"), std::string::npos) << r.err;
    }
  }
}

TEST_F(ChildTest, UnrecoverableErrorEndsWithExitCodeOneAndACompleteLog) {
  const ChildResult r = runChild({"unrecoverable"}, "", dir_);
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_EQ(r.out.find("continued after the error"), std::string::npos);
  EXPECT_NE(r.err.find("Error log was written to the file QVXERROR.LOG"), std::string::npos) << r.err;
  const std::string log = readFile(dir_ / "QVXERROR.LOG");
  const std::vector<std::string> lines = splitLines(log);
  ASSERT_GT(lines.size(), 25u) << log;
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], std::string(78, '-'));
  EXPECT_EQ(lines[7], "oError:args         :");
  EXPECT_NE(log.find("\noError:tries        : "), std::string::npos);
  EXPECT_NE(log.find("\nCALLSTACK:\n" + std::string(78, '-') + "\nCalled from ChildMain("), std::string::npos)
      << log;
  EXPECT_EQ(log.back(), '\n');
}

}  // namespace
}  // namespace qvtest
