#include "support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qvtest {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
}

void ErrorsTest::SetUp() {
  previousDir_ = fs::current_path();
  std::string tmpl = (fs::temp_directory_path() / "qv-errors-XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  dir_ = tmpl;
  fs::current_path(dir_);
  qv::resetSettings();
  qv::setAppType(qv::kAppTypeGui);
  qv::SETAPPWINDOW(nullptr);
  qv::clearShownBoxes();
  qv::setDacSessionProvider({});
  qv::ERRORLEVEL(0);
  previousBlock_ = qv::ERRORBLOCK();
  qv::setBoxResponder([this](const qv::BoxRecord& r) {
    if (onBox_) onBox_(r);
    if (answers_.empty()) return 0;
    int a = answers_.front();
    answers_.pop_front();
    return a;
  });
  qv::ErrorSys();
}

void ErrorsTest::TearDown() {
  qv::ERRORBLOCK(previousBlock_);
  qv::setBoxResponder({});
  qv::setDacSessionProvider({});
  qv::resetSettings();
  fs::current_path(previousDir_);
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void ErrorsTest::respond(std::vector<int> answers) { answers_.assign(answers.begin(), answers.end()); }

int ErrorsTest::runProgram(const std::function<void()>& body) {
  qv::Roles roles;
  roles.errorSys = qv::ErrorSys;
  roles.main = [&]() -> qv::Value {
    body();
    return {};
  };
  return qv::startProgram(roles);
}

ChildResult runChild(const std::vector<std::string>& args, const std::string& input, const fs::path& cwd) {
  ChildResult result;
  // A child that ends before reading all its input must not kill the test with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2];
  if (::pipe(in) != 0) return result;
  const fs::path outPath = cwd / ".child.out";
  const fs::path errPath = cwd / ".child.err";
  std::vector<std::string> argvStore = {QV_ERRORS_CHILD};
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(in[1]);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in[0], 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  std::size_t done = 0;
  while (done < input.size()) {
    ssize_t n = ::write(in[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(in[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  fs::remove(outPath);
  fs::remove(errPath);
  return result;
}

}  // namespace qvtest
