// Reading the presentation-space trace: the strings a paint drew, where and in which colour.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/draw/geometry.h"

namespace qv::test {

struct DrawnString {
  Point pos;
  std::string text;
  double colour = 0;
};

// Parses the "string {x,y} \"TEXT\" C {bx,by}" lines of a trace, in order.
inline std::vector<DrawnString> drawnStrings(const std::vector<std::string>& trace) {
  std::vector<DrawnString> out;
  for (const auto& line : trace) {
    if (line.rfind("string ", 0) != 0) continue;
    DrawnString s;
    if (std::sscanf(line.c_str(), "string {%lf,%lf}", &s.pos.x, &s.pos.y) != 2) continue;
    const auto open = line.find('"');
    const auto close = line.rfind('"');
    if (open == std::string::npos || close == open) continue;
    for (auto i = open + 1; i < close; ++i) {
      if (line[i] == '\\' && i + 1 < close) ++i;
      s.text += line[i];
    }
    s.colour = std::stod(line.substr(close + 2));
    out.push_back(s);
  }
  return out;
}

}  // namespace qv::test
