// The gallery executable: picks the backend from the command line and the display, sets up
// scripted headless runs, and hands over to the program's entry point.
//
//   gallery                   a real window, or the built-in tour when there is no display
//   gallery --headless        the headless backend (no display needed)
//   gallery --shot FILE.png   the window once the event queue is idle, then close (headless)
//   gallery --script FILE     replay a script on the headless backend
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/gui/app.h"
#include "shell/Program.h"
#include "shell/ScriptRunner.h"

namespace {

constexpr const char* kUsage = "usage: gallery [--headless] [--shot FILE.png] [--script FILE]\n";

struct Options {
  bool headless = false;
  std::string shot;
  std::string script;
};

// False (with a message printed) when the command line cannot be read.
bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--headless") {
      o.headless = true;
    } else if ((a == "--shot" || a == "--script") && i + 1 < argc) {
      (a == "--shot" ? o.shot : o.script) = argv[++i];
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else {
      std::fprintf(stderr, "gallery: cannot read the argument \"%s\"\n%s", a.c_str(), kUsage);
      return false;
    }
  }
  return true;
}

int run(int argc, char** argv) {
  Options opt;
  if (!parseOptions(argc, argv, opt)) return 2;

  std::vector<qv::ScriptCommand> commands;
  if (!opt.script.empty()) {
    std::ifstream in(opt.script, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "gallery: cannot read the script %s\n", opt.script.c_str());
      return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto parsed = qv::parseScript(text.str());
    if (parsed.errorLine) {
      std::fprintf(stderr, "%s:%d: %s\n", opt.script.c_str(), parsed.errorLine, parsed.error.c_str());
      return 2;
    }
    commands = std::move(parsed.commands);
  }
  if (!opt.shot.empty()) {
    qv::ScriptCommand shot;
    shot.kind = qv::ScriptCommand::Kind::Shot;
    shot.file = opt.shot;
    commands.push_back(shot);
    qv::ScriptCommand close;
    close.kind = qv::ScriptCommand::Kind::Close;
    commands.push_back(close);
  }

  const bool scripted = !opt.script.empty() || !opt.shot.empty();
  std::string why;
  const bool headless = qv::chooseBackend(opt.headless || scripted, &why);
  if (headless && !opt.headless && !scripted) {
    // No display: say so in one line and show what the gallery does, as screenshots.
    const std::string dir = std::filesystem::absolute("gallery-tour").string();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::printf("gallery: %s; running the built-in tour headless, screenshots in %s\n", why.c_str(),
                dir.c_str());
    commands = qv::builtInTour(dir);
  }
  int code = 0;
  {
    qv::ScriptRunner runner(std::move(commands), headless);
    code = qv::EntryPoint();
  }
  std::fflush(stdout);
  qv::setBackend(nullptr);  // closes the native windows and shuts the backend down
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gallery: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "gallery: unexpected failure\n");
  }
  return 1;
}
