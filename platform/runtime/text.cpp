// The value and text functions. Texts are byte strings, as the platform's texts always
// were: lengths and widths count bytes, embedded NULs are ordinary characters and nothing
// here decodes UTF-8, so malformed sequences pass through untouched.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <unordered_set>

#include "platform/runtime/internal.h"
#include "platform/runtime/runtime.h"

namespace qv {

using detail::argumentError;
using detail::kMaxText;
using detail::toInteger;

namespace {

const char* const kNotText = "Argument is not a character value";
const char* const kNotNumber = "Argument is not numeric";
const char* const kTooLong = "Result exceeds the maximum text length";

// A count argument (width, length, repetitions): NIL takes `dflt`; a number is truncated;
// anything that is not a finite number is rejected.
bool countArg(const Value& v, std::int64_t dflt, std::int64_t& out) {
  if (v.isNil()) {
    out = dflt;
    return true;
  }
  return v.isNumber() && detail::toCount(v.number(), out);
}

constexpr std::int64_t kPow10[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000};

// The digits of n with `decimals` places, rounded half away from zero (so 2.5 gives 3,
// where printf would round to even). Empty for NaN and infinities.
std::string numberDigits(double n, int decimals) {
  if (!std::isfinite(n)) return "";
  if (decimals <= 15) {
    double scaled = n * static_cast<double>(kPow10[decimals]);
    if (std::fabs(scaled) < 9.0e15) {
      std::int64_t r = static_cast<std::int64_t>(std::round(scaled));
      bool negative = r < 0;
      std::uint64_t mag = negative ? static_cast<std::uint64_t>(-r) : static_cast<std::uint64_t>(r);
      std::uint64_t p = static_cast<std::uint64_t>(kPow10[decimals]);
      std::string out = negative ? "-" : "";
      out += std::to_string(mag / p);
      if (decimals > 0) {
        std::string frac = std::to_string(mag % p);
        out += '.';
        out.append(static_cast<std::size_t>(decimals) - frac.size(), '0');
        out += frac;
      }
      return out;
    }
  }
  char buf[400];
  int len = std::snprintf(buf, sizeof buf, "%.*f", decimals, n);
  if (len < 0) return "";
  if (static_cast<std::size_t>(len) >= sizeof buf) {
    std::string big(static_cast<std::size_t>(len) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%.*f", decimals, n);
    big.resize(static_cast<std::size_t>(len));
    return big;
  }
  return std::string(buf, static_cast<std::size_t>(len));
}

// As many decimals as the number needs, at most 9; 0 for whole numbers.
int neededDecimals(double n) {
  if (!std::isfinite(n) || n == std::trunc(n)) return 0;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.9f", n);
  std::string s(buf);
  int decimals = 9;
  while (decimals > 1 && s[s.size() - 1] == '0') {
    s.pop_back();
    --decimals;
  }
  return decimals;
}

std::string strPlain(double n, std::int64_t width, int decimals) {
  std::string digits = numberDigits(n, decimals);
  std::size_t w = static_cast<std::size_t>(width);
  if (digits.empty() || digits.size() > w) return std::string(w, '*');
  return std::string(w - digits.size(), ' ') + digits;
}

std::string strDefault(double n) {
  int decimals = neededDecimals(n);
  return strPlain(n, decimals > 0 ? 11 + decimals : 10, decimals);
}

std::string trimmedNumber(double n) {
  if (!std::isfinite(n)) return std::isnan(n) ? "NaN" : (n > 0 ? "Inf" : "-Inf");
  return numberDigits(n, neededDecimals(n));
}

bool civilFromJulian(std::int64_t jd, int& y, int& m, int& d) {
  // 1 January 4713 BC up to 31 December 9999; other day numbers are not dates.
  if (jd < 1 || jd > 5373484) return false;
  std::int64_t a = jd + 32044;
  std::int64_t b = (4 * a + 3) / 146097;
  std::int64_t c = a - 146097 * b / 4;
  std::int64_t dd = (4 * c + 3) / 1461;
  std::int64_t e = c - 1461 * dd / 4;
  std::int64_t mm = (5 * e + 2) / 153;
  d = static_cast<int>(e - (153 * mm + 2) / 5 + 1);
  m = static_cast<int>(mm + 3 - 12 * (mm / 10));
  y = static_cast<int>(100 * b + dd - 4800 + mm / 10);
  return true;
}

std::string twoDigits(int v) {
  v = ((v % 100) + 100) % 100;
  return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

bool startsWithCi(const std::string& s, std::size_t i, const char* token) {
  for (std::size_t k = 0; token[k]; ++k) {
    if (i + k >= s.size()) return false;
    char c = s[i + k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != token[k]) return false;
  }
  return true;
}

void appendVar(std::string& out, const Value& v, bool quoteText, std::unordered_set<const Array*>& path);

void appendArray(std::string& out, const ArrayPtr& a, std::unordered_set<const Array*>& path) {
  if (!a) {
    out += "{}";
    return;
  }
  // An array that contains itself is shown as "{...}" where it comes round again.
  if (path.count(a.get()) || path.size() >= 32) {
    out += "{...}";
    return;
  }
  path.insert(a.get());
  out += '{';
  for (std::size_t i = 0; i < a->size(); ++i) {
    if (out.size() > kMaxText) {
      out += "...";
      break;
    }
    if (i) out += ", ";
    appendVar(out, (*a)[i], true, path);
  }
  out += '}';
  path.erase(a.get());
}

void appendVar(std::string& out, const Value& v, bool quoteText, std::unordered_set<const Array*>& path) {
  switch (v.typeCode()) {
    case 'N': out += trimmedNumber(v.number()); return;
    case 'C':
      if (quoteText) {
        out += '"';
        out.append(v.text(), 0, std::min(v.text().size(), kMaxText));
        out += '"';
      } else {
        out += v.text();
      }
      return;
    case 'A': appendArray(out, v.array(), path); return;
    default: out += displayForm(v).substr(0, kMaxText); return;
  }
}

}  // namespace

Date dateFromCivil(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < -4712 || year > 9999) return Date{};
  std::int64_t a = (14 - month) / 12;
  std::int64_t y = static_cast<std::int64_t>(year) + 4800 - a;
  std::int64_t m = month + 12 * a - 3;
  std::int64_t jd = day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
  int cy, cm, cd;
  // Reject days a month does not have (30 February) instead of rolling them over.
  if (!civilFromJulian(jd, cy, cm, cd) || cy != year || cm != month || cd != day) return Date{};
  return Date{jd};
}

std::string VALTYPE(const Value& v) { return std::string(1, v.typeCode()); }

bool EMPTY(const Value& v) {
  switch (v.typeCode()) {
    case 'U': return true;
    case 'N': return v.number() == 0;
    case 'C':
      for (char c : v.text())
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
      return true;
    case 'L': return !v.logical();
    case 'D': return v.date().julianDay == 0;
    case 'A': return v.length() == 0;
    default: return false;
  }
}

Value LEN(const Value& v) {
  if (v.isText() || v.isArray()) return Value(v.length());
  return argumentError("LEN", {v}, "Argument is neither text nor array", Value(0), true);
}

Value STR(const Value& n, const Value& nWidth, const Value& nDecimals) {
  if (!n.isNumber()) return argumentError("STR", {n, nWidth, nDecimals}, kNotNumber, Value(""));
  std::int64_t width = 0, decimals = 0;
  bool widthOk = nWidth.isNil() || (countArg(nWidth, 0, width) && width >= 0 && width <= 1024);
  bool decOk = nDecimals.isNil() || (countArg(nDecimals, 0, decimals) && decimals >= 0 && decimals <= 30);
  if (!widthOk || !decOk) {
    return argumentError("STR", {n, nWidth, nDecimals}, "Width or decimals out of range", Value(""));
  }
  if (nWidth.isNil() && nDecimals.isNil()) return Value(strDefault(n.number()));
  if (nWidth.isNil()) width = decimals > 0 ? 11 + decimals : 10;
  // A width without decimals asks for a whole number, rounded.
  return Value(strPlain(n.number(), width, static_cast<int>(decimals)));
}

Value LTRIM(const Value& s) {
  if (!s.isText()) return argumentError("LTRIM", {s}, kNotText, Value(""));
  const std::string& t = s.text();
  std::size_t i = 0;
  while (i < t.size() && detail::isBlank(t[i])) ++i;
  return Value(t.substr(i));
}

Value RTRIM(const Value& s) {
  if (!s.isText()) return argumentError("RTRIM", {s}, kNotText, Value(""));
  const std::string& t = s.text();
  std::size_t n = t.size();
  while (n > 0 && detail::isBlank(t[n - 1])) --n;
  return Value(t.substr(0, n));
}

Value TRIM(const Value& s) {
  if (!s.isText()) return argumentError("TRIM", {s}, kNotText, Value(""));
  return RTRIM(s);
}

Value PADL(const Value& v, const Value& nLength, const Value& cFill) {
  std::string text;
  switch (v.typeCode()) {
    case 'C': text = v.text(); break;
    case 'N': text = trimmedNumber(v.number()); break;
    case 'D': text = formatDate(v.date()); break;
    case 'L': text = v.logical() ? "T" : "F"; break;
    case 'U': break;
    default: return argumentError("PADL", {v, nLength, cFill}, "Argument cannot be padded", Value(""));
  }
  std::int64_t len = 0;
  if (!countArg(nLength, 0, len) || nLength.isNil())
    return argumentError("PADL", {v, nLength, cFill}, kNotNumber, Value(""));
  if (!cFill.isNil() && !cFill.isText()) return argumentError("PADL", {v, nLength, cFill}, kNotText, Value(""));
  if (len <= 0) return Value("");
  if (static_cast<std::uint64_t>(len) > kMaxText) return argumentError("PADL", {v, nLength, cFill}, kTooLong, Value(""));
  std::size_t n = static_cast<std::size_t>(len);
  char fill = cFill.isText() && !cFill.text().empty() ? cFill.text()[0] : ' ';
  // Too long a text keeps its left part.
  if (text.size() >= n) return Value(text.substr(0, n));
  return Value(std::string(n - text.size(), fill) + text);
}

Value REPLICATE(const Value& s, const Value& nCount) {
  std::int64_t count = 0;
  if (!s.isText()) return argumentError("REPLICATE", {s, nCount}, kNotText, Value(""));
  if (nCount.isNil() || !countArg(nCount, 0, count)) return argumentError("REPLICATE", {s, nCount}, kNotNumber, Value(""));
  const std::string& t = s.text();
  if (count <= 0 || t.empty()) return Value("");
  if (static_cast<std::uint64_t>(count) > kMaxText / t.size())
    return argumentError("REPLICATE", {s, nCount}, kTooLong, Value(""));
  std::string out;
  out.reserve(t.size() * static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) out += t;
  return Value(std::move(out));
}

Value SPACE(const Value& nCount) {
  std::int64_t count = 0;
  if (nCount.isNil() || !countArg(nCount, 0, count)) return argumentError("SPACE", {nCount}, kNotNumber, Value(""));
  if (count <= 0) return Value("");
  if (static_cast<std::uint64_t>(count) > kMaxText) return argumentError("SPACE", {nCount}, kTooLong, Value(""));
  return Value(std::string(static_cast<std::size_t>(count), ' '));
}

Value STRTRAN(const Value& s, const Value& cSearch, const Value& cReplace) {
  if (!s.isText() || !cSearch.isText() || !(cReplace.isText() || cReplace.isNil()))
    return argumentError("STRTRAN", {s, cSearch, cReplace}, kNotText, Value(""));
  const std::string& t = s.text();
  const std::string& from = cSearch.text();
  const std::string& to = cReplace.text();
  if (from.empty()) return s;
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = t.find(from, pos);
    std::size_t end = hit == std::string::npos ? t.size() : hit;
    out.append(t, pos, end - pos);
    if (hit == std::string::npos) break;
    out += to;
    if (out.size() > kMaxText) return argumentError("STRTRAN", {s, cSearch, cReplace}, kTooLong, Value(""));
    pos = hit + from.size();
  }
  return Value(std::move(out));
}

Value CHR(const Value& nCode) {
  std::int64_t code = 0;
  if (nCode.isNil() || !countArg(nCode, 0, code)) return argumentError("CHR", {nCode}, kNotNumber, Value(""));
  // Codes wrap round the 256 characters, so CHR(256) is CHR(0).
  return Value(std::string(1, static_cast<char>(static_cast<unsigned char>(((code % 256) + 256) % 256))));
}

Value LEFT(const Value& s, const Value& nCount) {
  std::int64_t count = 0;
  if (!s.isText()) return argumentError("LEFT", {s, nCount}, kNotText, Value(""));
  if (nCount.isNil() || !countArg(nCount, 0, count)) return argumentError("LEFT", {s, nCount}, kNotNumber, Value(""));
  if (count <= 0) return Value("");
  return Value(s.text().substr(0, static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(s.text().size())))));
}

Value INT(const Value& n) {
  if (!n.isNumber()) return argumentError("INT", {n}, kNotNumber, Value(0), true);
  return Value(std::trunc(n.number()));
}

Value ABS(const Value& n) {
  if (!n.isNumber()) return argumentError("ABS", {n}, kNotNumber, Value(0), true);
  return Value(std::fabs(n.number()));
}

Value MAX(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) return a.number() >= b.number() ? a : b;
  if (a.isDate() && b.isDate()) return a.date().julianDay >= b.date().julianDay ? a : b;
  return argumentError("MAX", {a, b}, "Arguments are not two numbers or two dates", Value(0), true);
}

Value MIN(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) return a.number() <= b.number() ? a : b;
  if (a.isDate() && b.isDate()) return a.date().julianDay <= b.date().julianDay ? a : b;
  return argumentError("MIN", {a, b}, "Arguments are not two numbers or two dates", Value(0), true);
}

Value ARRAY(const Value& nLength) {
  std::int64_t n = 0;
  if (nLength.isNil() || !countArg(nLength, 0, n) || n < 0)
    return argumentError("ARRAY", {nLength}, "Array length is not a number of 0 or more", Value());
  if (static_cast<std::uint64_t>(n) > detail::kMaxArray)
    return argumentError("ARRAY", {nLength}, "Array length exceeds the limit", Value());
  return Value::arrayOf(static_cast<std::size_t>(n));
}

Value ASCAN(const Value& a, const Value& what, const Value& nStart, const Value& nCount) {
  if (!a.isArray()) return argumentError("ASCAN", {a, what, nStart, nCount}, "Argument is not an array", Value(0), true);
  std::int64_t start = 1, count = 0;
  if (!countArg(nStart, 1, start) || !countArg(nCount, INT64_MAX, count))
    return argumentError("ASCAN", {a, what, nStart, nCount}, kNotNumber, Value(0), true);
  if (start < 1) start = 1;
  ArrayPtr arr = a.array();  // keeps the array alive while a callback runs
  if (!arr) return Value(0);
  for (std::int64_t i = start; count > 0; ++i, --count) {
    // The callback may shrink the array: look at its size every time.
    if (static_cast<std::uint64_t>(i) > arr->size()) break;
    Value element = (*arr)[static_cast<std::size_t>(i - 1)];
    if (what.isCallback()) {
      std::vector<Value> args{element, Value(static_cast<double>(i))};
      Value r = what.call(args);
      if (r.isLogical() && r.logical()) return Value(static_cast<double>(i));
    } else if (element.looselyEquals(what)) {
      return Value(static_cast<double>(i));
    }
  }
  return Value(0);
}

std::string VAR2CHAR(const Value& v) {
  if (v.isNumber()) return trimmedNumber(v.number());
  std::string out;
  std::unordered_set<const Array*> path;
  appendVar(out, v, false, path);
  return out;
}

std::string displayForm(const Value& v) {
  switch (v.typeCode()) {
    case 'U': return "NIL";
    case 'N': return strDefault(v.number());
    case 'C': return v.text();
    case 'L': return v.logical() ? ".T." : ".F.";
    case 'D': return formatDate(v.date());
    case 'A': return "{...}";
    case 'O': return v.object() ? "<" + v.object()->className() + " object>" : "NIL";
    case 'B': return "{||...}";
  }
  return "";
}

std::string formatDate(const Date& d) {
  Value fmtValue = SET(setting::kDateFormat);
  std::string fmt = fmtValue.isText() ? fmtValue.text() : "mm/dd/yy";
  int y = 0, m = 0, day = 0;
  // The empty date (and a day number that is no date) shows blanks in the digit places.
  bool valid = civilFromJulian(d.julianDay, y, m, day);
  std::string out;
  for (std::size_t i = 0; i < fmt.size();) {
    if (startsWithCi(fmt, i, "yyyy")) {
      if (valid) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d", y);
        out += buf;
      } else {
        out += "    ";
      }
      i += 4;
    } else if (startsWithCi(fmt, i, "yy")) {
      out += valid ? twoDigits(y) : "  ";
      i += 2;
    } else if (startsWithCi(fmt, i, "mm")) {
      out += valid ? twoDigits(m) : "  ";
      i += 2;
    } else if (startsWithCi(fmt, i, "dd")) {
      out += valid ? twoDigits(day) : "  ";
      i += 2;
    } else {
      out += fmt[i++];
    }
  }
  return out;
}

Value DATE() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Value(dateFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
}

std::string TIME() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

bool FILE(const std::string& name) {
  // A name with a NUL in it names no file (the system would see only its first part).
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace qv
