#include "shell/Script.h"

#include <charconv>
#include <sstream>

namespace qv {

namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool toInt(const std::string& s, int& out, int lo, int hi) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

// Coordinates far outside any window are allowed (a pointer can leave the window), but
// kept within a range that cannot overflow device arithmetic.
constexpr int kCoordLimit = 100000;

}  // namespace

ScriptParse parseScript(const std::string& text) {
  ScriptParse result;
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    if (auto hash = raw.find('#'); hash != std::string::npos) raw.erase(hash);
    const auto w = words(raw);
    if (w.empty()) continue;
    ScriptCommand c;
    c.line = lineNo;
    const std::string& verb = w[0];
    auto fail = [&](const std::string& why) {
      result.errorLine = lineNo;
      result.error = why;
      result.commands.clear();
      return result;
    };
    auto point = [&](ScriptCommand::Kind k) -> bool {
      c.kind = k;
      return w.size() == 3 && toInt(w[1], c.x, -kCoordLimit, kCoordLimit) &&
             toInt(w[2], c.y, -kCoordLimit, kCoordLimit);
    };
    if (verb == "move") {
      if (!point(ScriptCommand::Kind::Move)) return fail("move takes two whole numbers X Y");
    } else if (verb == "click") {
      if (!point(ScriptCommand::Kind::Click)) return fail("click takes two whole numbers X Y");
    } else if (verb == "down" || verb == "up" || verb == "focusout" || verb == "close") {
      if (w.size() != 1) return fail(verb + " takes no arguments");
      c.kind = verb == "down"       ? ScriptCommand::Kind::Down
               : verb == "up"       ? ScriptCommand::Kind::Up
               : verb == "focusout" ? ScriptCommand::Kind::FocusOut
                                    : ScriptCommand::Kind::Close;
    } else if (verb == "answer") {
      c.kind = ScriptCommand::Kind::Answer;
      if (w.size() != 2 || !toInt(w[1], c.code, 0, 7)) return fail("answer takes a result code from 0 to 7");
    } else if (verb == "shot") {
      c.kind = ScriptCommand::Kind::Shot;
      if (w.size() != 2) return fail("shot takes one file name");
      c.file = w[1];
    } else {
      return fail("unknown command \"" + verb + "\"");
    }
    result.commands.push_back(c);
  }
  return result;
}

std::vector<ScriptCommand> builtInTour(const std::string& dir) {
  // The gallery's layout, in screenshot pixels of the 800 x 600 client area.
  const std::string tour =
      "shot " + dir + "/tour-1-start.png\n"
      "move 360 340\n"  // over "Active Text"
      "shot " + dir + "/tour-2-hover.png\n"
      "move 250 380\n"  // onto the "Color" button
      "down\n"
      "shot " + dir + "/tour-3-pressed.png\n"
      "up\n"
      "click 250 380\n"
      "click 250 380\n"
      "move 700 550\n"
      "shot " + dir + "/tour-4-three-steps.png\n"
      "click 360 340\n"  // "Active Text" opens its box
      "shot " + dir + "/tour-5-after-box.png\n"
      "close\n";
  return parseScript(tour).commands;
}

}  // namespace qv
