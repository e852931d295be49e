// The text functions on arbitrary arguments: STR, PADL, MLCOUNT and MEMOLINE, VAR2CHAR and
// the error text's LineSplit. Wrong types and ranges must end as runtime errors (answered
// here with the default), results must keep the functions' promises, and nothing may
// crash, hang or run out of memory.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "errors/ErrorSys.h"
#include "fuzz/common.h"
#include "platform/runtime/runtime.h"

namespace {

using qv::Value;
using qvfuzz::Bytes;

// A number the way callers get them wrong: small whole numbers, edges, or raw bits.
double number(Bytes& in) {
  switch (in.byte() % 6) {
    case 0: return static_cast<signed char>(in.byte());
    case 1: return in.raw<short>();
    case 2: return in.raw<double>();
    case 3: {
      static const double kEdges[] = {0.0, -0.0, 0.5, -0.5, 1e9, -1e9, 1e300, -1e300, 4294967296.0,
                                      9.2233720368547758e18, std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::denorm_min(), 65535, 65536};
      return kEdges[in.byte() % (sizeof kEdges / sizeof kEdges[0])];
    }
    case 4: return in.raw<int>() / 1000.0;
    default: return in.raw<int>();
  }
}

// Any value; arrays may share elements and contain themselves.
Value value(Bytes& in, int depth, std::vector<Value>& made) {
  switch (in.byte() % 8) {
    case 0: return {};
    case 1: case 2: return number(in);
    case 3: return in.text(64);
    case 4: return in.byte() & 1;
    case 5: return qv::dateFromCivil(in.raw<short>(), in.byte() % 14, in.byte() % 33);
    case 6: {
      if (!made.empty() && in.byte() & 1) return made[in.byte() % made.size()];  // shared, maybe a cycle
      Value a = Value::arrayOf(0);
      made.push_back(a);
      const int n = depth < 6 ? in.byte() % 5 : 0;
      for (int i = 0; i < n; ++i) a.array()->push_back(value(in, depth + 1, made));
      return a;
    }
    default: return Value::callback([](std::vector<Value>&) { return Value(); });
  }
}

// Mostly numbers, sometimes anything (the functions must refuse other types cleanly).
Value numberArg(Bytes& in, std::vector<Value>& made) {
  if (in.byte() % 8 == 0) return value(in, 0, made);
  return number(in);
}

}  // namespace

extern "C" int QVFUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
  const qvfuzz::TakeDefaults defaults;
  Bytes in(data, size);
  std::vector<Value> made;
  const int which = in.byte() % 5;
  switch (which) {
    case 0: {  // STR(n [, width [, decimals]])
      const Value n = numberArg(in, made);
      const int argc = in.byte() % 3;
      const Value w = argc >= 1 ? numberArg(in, made) : Value();
      const Value d = argc >= 2 ? numberArg(in, made) : Value();
      const Value r = qv::STR(n, w, d);
      QVFUZZ_CHECK(r.isText());
      // A width that was accepted is the length of the result.
      if (w.isNumber() && !r.text().empty() && w.number() >= 1 && w.number() <= 1024 &&
          w.number() == std::floor(w.number()))
        QVFUZZ_CHECK(r.text().size() == static_cast<std::size_t>(w.number()));
      break;
    }
    case 1: {  // PADL(v, length [, fill])
      const Value v = in.byte() & 1 ? Value(in.text(256)) : value(in, 0, made);
      const Value len = numberArg(in, made);
      const Value fill = in.byte() & 1 ? Value(in.text(4)) : value(in, 0, made);
      const Value r = qv::PADL(v, len, fill);
      QVFUZZ_CHECK(r.isText());
      break;
    }
    case 2: {  // MLCOUNT / MEMOLINE
      const std::string text = in.text(4096);
      const Value width = numberArg(in, made);
      const Value tab = in.byte() & 1 ? numberArg(in, made) : Value();
      const Value wrap = in.byte() % 3 == 0 ? value(in, 0, made) : Value(static_cast<bool>(in.byte() & 1));
      const Value count = qv::MLCOUNT(text, width, tab, wrap);
      QVFUZZ_CHECK(count.isNumber());
      const Value line = numberArg(in, made);
      const Value r = qv::MEMOLINE(text, width, line, tab, wrap);
      QVFUZZ_CHECK(r.isText());
      // Every line of a valid wrap is exactly the width (padded).
      if (width.isNumber() && width.number() >= 1 && width.number() <= 200 &&
          width.number() == std::floor(width.number()) && line.isNumber() && line.number() >= 1 &&
          line.number() <= count.number() && line.number() == std::floor(line.number()) && !r.text().empty())
        QVFUZZ_CHECK(r.text().size() == static_cast<std::size_t>(width.number()));
      break;
    }
    case 3: {  // VAR2CHAR
      const Value v = value(in, 0, made);
      const std::string s = qv::VAR2CHAR(v);
      (void)s;
      break;
    }
    default: {  // LineSplit, as the error text uses it
      const int width = static_cast<signed char>(in.byte());
      const std::string text = in.rest();
      const std::string s = qv::LineSplit(text, width);
      if (width >= 1) {
        std::size_t start = 0;
        while (start <= s.size()) {
          std::size_t end = s.find(';', start);
          if (end == std::string::npos) end = s.size();
          QVFUZZ_CHECK(end - start <= static_cast<std::size_t>(width) || text.find(';') != std::string::npos);
          start = end + 1;
        }
      }
      break;
    }
  }
  // Cycles made above would otherwise outlive the run.
  for (auto& a : made)
    if (a.isArray()) a.array()->clear();
  return 0;
}
