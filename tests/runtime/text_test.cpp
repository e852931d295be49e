#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support.h"

namespace qv {
namespace {

using test::ErrorRecorder;
using test::RuntimeTest;

using TextFunctions = RuntimeTest;

TEST_F(TextFunctions, StrFormatsRightAlignedWithWidthAndDecimals) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Value n, width, decimals;
    std::string expected;
  } cases[] = {
      {Value(1), {}, {}, "         1"},
      {Value(1), Value(2), {}, " 1"},
      {Value(-42), {}, {}, "       -42"},
      {Value(0), {}, {}, "         0"},
      {Value(12), Value(5), Value(2), "12.00"},
      {Value(3.14159), Value(8), Value(2), "    3.14"},
      {Value(2.5), Value(3), {}, "  3"},     // a width alone rounds to a whole number
      {Value(-2.5), Value(3), {}, " -3"},    // half away from zero, both signs
      {Value(0.125), Value(6), Value(2), "  0.13"},
      {Value(-0.0001), Value(5), Value(2), " 0.00"},  // no "-0.00"
      {Value(0.5), {}, {}, "         0.5"},  // default decimals: as many as needed
      {Value(1.0 / 3), {}, {}, "         0.333333333"},
      {Value(12345), Value(3), {}, "***"},
      {Value(1e12), {}, {}, "**********"},
      {Value(123), Value(0), {}, ""},
      {Value(inf), Value(4), {}, "****"},
      {Value(std::nan("")), {}, {}, "**********"},
      {Value(1e300), Value(5), Value(30), "*****"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(STR(c.n, c.width, c.decimals).text(), c.expected);
  }
}

TEST_F(TextFunctions, StrOfHugeWholeNumbersKeepsEveryDigit) {
  EXPECT_EQ(STR(Value(1e20), Value(22)).text(), " 100000000000000000000");
  EXPECT_EQ(LTRIM(STR(Value(9007199254740993.0), Value(20))).text(), "9007199254740992");
}

// Wrong types and hostile sizes: each raises an argument error through the callback with
// the operation's name and arguments, and the function returns the default.
TEST_F(TextFunctions, BadArgumentsRaiseArgumentErrorsAndReturnTheDefault) {
  struct Case {
    const char* op;
    std::function<Value()> call;
    Value dflt;
  } cases[] = {
      {"STR", [] { return STR(Value("x")); }, Value("")},
      {"STR", [] { return STR(Value(1), Value(-1)); }, Value("")},
      {"STR", [] { return STR(Value(1), Value(1e18)); }, Value("")},
      {"STR", [] { return STR(Value(1), Value(10), Value("2")); }, Value("")},
      {"LTRIM", [] { return LTRIM(Value(5)); }, Value("")},
      {"RTRIM", [] { return RTRIM(Value()); }, Value("")},
      {"TRIM", [] { return TRIM(Value(true)); }, Value("")},
      {"PADL", [] { return PADL(Value::array({}), Value(3)); }, Value("")},
      {"PADL", [] { return PADL(Value("a"), Value("3")); }, Value("")},
      {"PADL", [] { return PADL(Value("a"), Value(1e12)); }, Value("")},
      {"PADL", [] { return PADL(Value("a"), Value(3), Value(0)); }, Value("")},
      {"REPLICATE", [] { return REPLICATE(Value("ab"), Value(9e6)); }, Value("")},
      {"REPLICATE", [] { return REPLICATE(Value(1), Value(2)); }, Value("")},
      {"REPLICATE", [] { return REPLICATE(Value("a"), Value(std::nan(""))); }, Value("")},
      {"SPACE", [] { return SPACE(Value(16.0 * 1024 * 1024 + 1)); }, Value("")},
      {"SPACE", [] { return SPACE(Value(std::numeric_limits<double>::infinity())); }, Value("")},
      {"STRTRAN", [] { return STRTRAN(Value("a"), Value(1)); }, Value("")},
      {"CHR", [] { return CHR(Value("A")); }, Value("")},
      {"LEFT", [] { return LEFT(Value("abc"), Value()); }, Value("")},
      {"LEN", [] { return LEN(Value(5)); }, Value(0)},
      {"INT", [] { return INT(Value("5")); }, Value(0)},
      {"ABS", [] { return ABS(Value()); }, Value(0)},
      {"MAX", [] { return MAX(Value(1), Value("2")); }, Value(0)},
      {"MIN", [] { return MIN(Value(Date{3}), Value(2)); }, Value(0)},
      {"ARRAY", [] { return ARRAY(Value(-1)); }, Value()},
      {"ARRAY", [] { return ARRAY(Value(1e12)); }, Value()},
      {"ASCAN", [] { return ASCAN(Value("abc"), Value("a")); }, Value(0)},
      {"MLCOUNT", [] { return MLCOUNT(Value(1)); }, Value(0)},
      {"MLCOUNT", [] { return MLCOUNT(Value("abc"), Value(0)); }, Value(0)},
      {"MLCOUNT", [] { return MLCOUNT(Value("abc"), Value(1e9)); }, Value(0)},
      {"MEMOLINE", [] { return MEMOLINE(Value("abc"), Value(-5)); }, Value("")},
      {"MEMOLINE", [] { return MEMOLINE(Value("abc"), Value(10), Value(1), Value(), Value(1)); }, Value("")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.op);
    ErrorRecorder rec(Value(false));
    Value result = c.call();
    ASSERT_EQ(rec.errors.size(), 1u);
    const Error& e = *rec.errors[0];
    EXPECT_EQ(e.genCode, gen::kArgument);
    EXPECT_EQ(e.subSystem.text(), "BASE");
    EXPECT_EQ(e.operation.text(), c.op);
    EXPECT_TRUE(e.args.isArray());
    EXPECT_FALSE(e.description.text().empty());
    EXPECT_TRUE(result.exactlyEquals(c.dflt)) << displayForm(result);
  }
}

TEST_F(TextFunctions, NumericFunctionsTakeASubstituteTextFunctionsDoNot) {
  ErrorRecorder rec(Value(7));
  EXPECT_EQ(INT(Value("x")).number(), 7);
  EXPECT_EQ(LEN(Value(1)).number(), 7);
  EXPECT_EQ(STR(Value("x")).text(), "");
  EXPECT_FALSE(rec.errors[2]->canSubstitute);
}

TEST_F(TextFunctions, TrimPadAndFriends) {
  const std::string nul("a\0b", 3);
  struct Case {
    Value got;
    std::string expected;
  } cases[] = {
      {LTRIM(Value("   12 ")), "12 "},
      {RTRIM(Value(" 12   ")), " 12"},
      {TRIM(Value("      ")), ""},
      {RTRIM(Value("a\t")), "a\t"},  // only blanks are trimmed
      {PADL(Value(7), Value(3), Value("0")), "007"},
      {PADL(Value(1000), Value(3), Value("0")), "100"},  // too long: keeps the left part
      {PADL(Value("ab"), Value(4)), "  ab"},
      {PADL(Value("ab"), Value(4), Value("")), "  ab"},
      {PADL(Value("ab"), Value(-4)), ""},
      {PADL(Value(), Value(2)), "  "},
      {REPLICATE(Value("-"), Value(5)), "-----"},
      {REPLICATE(Value("ab"), Value(0)), ""},
      {REPLICATE(Value("ab"), Value(-3)), ""},
      {REPLICATE(Value(nul), Value(2)), nul + nul},
      {SPACE(Value(3)), "   "},
      {SPACE(Value(-1)), ""},
      {STRTRAN(Value("a;b;c"), Value(";"), Value("\r")), "a\rb\rc"},
      {STRTRAN(Value("aaa"), Value("a"), Value("aa")), "aaaaaa"},
      {STRTRAN(Value("abc"), Value("")), "abc"},
      {STRTRAN(Value("abcb"), Value("b")), "ac"},
      {CHR(Value(65)), "A"},
      {CHR(Value(256 + 13)), "\r"},
      {CHR(Value(-1)), "\xff"},
      {LEFT(Value("abcdef"), Value(3)), "abc"},
      {LEFT(Value("ab"), Value(30)), "ab"},
      {LEFT(Value("ab"), Value(-1)), ""},
      {LEFT(Value(nul), Value(3)), nul},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.got.text(), c.expected);
  }
  EXPECT_EQ(CHR(Value(0)).text(), std::string(1, '\0'));
}

TEST_F(TextFunctions, HugeButAllowedResultsAreBuilt) {
  EXPECT_EQ(SPACE(Value(16.0 * 1024 * 1024)).length(), 16u * 1024 * 1024);
  EXPECT_EQ(STRTRAN(Value(std::string(1000, 'a')), Value("a"), Value("bb")).length(), 2000u);
}

TEST_F(TextFunctions, StrtranThatWouldGrowPastTheLimitFails) {
  ErrorRecorder rec;
  Value big(std::string(9u * 1024 * 1024, 'a'));
  EXPECT_EQ(STRTRAN(big, Value("a"), Value("aa")).text(), "");
  ASSERT_EQ(rec.errors.size(), 1u);
}

TEST_F(TextFunctions, ValtypeEmptyLen) {
  EXPECT_EQ(VALTYPE(Value()), "U");
  EXPECT_EQ(VALTYPE(Value::array({})), "A");
  EXPECT_EQ(VALTYPE(Value(std::make_shared<Error>())), "O");
  struct Case {
    Value v;
    bool empty;
  } cases[] = {{Value(), true},          {Value(0), true},         {Value(0.1), false},
               {Value(""), true},        {Value(" \t\r\n"), true}, {Value(" x "), false},
               {Value(false), true},     {Value(true), false},     {Value(Date{}), true},
               {Value(Date{1}), false},  {Value::array({}), true}, {Value::array({Value()}), false},
               {Value(std::make_shared<Object>()), false}};
  for (const auto& c : cases) EXPECT_EQ(EMPTY(c.v), c.empty) << displayForm(c.v);
  EXPECT_EQ(LEN(Value("abc")).number(), 3);
  EXPECT_EQ(LEN(Value(std::string("a\0b", 3))).number(), 3);
  EXPECT_EQ(LEN(Value::array({1, 2})).number(), 2);
}

TEST_F(TextFunctions, NumbersIntAbsMaxMin) {
  EXPECT_EQ(INT(Value(-2.7)).number(), -2);
  EXPECT_EQ(INT(Value(2.7)).number(), 2);
  EXPECT_EQ(ABS(Value(-3)).number(), 3);
  EXPECT_EQ(MAX(Value(1), Value(2)).number(), 2);
  EXPECT_EQ(MIN(Value(1), Value(2)).number(), 1);
  EXPECT_EQ(MAX(Value(Date{4}), Value(Date{9})).date().julianDay, 9);
  EXPECT_TRUE(std::isnan(INT(Value(std::nan(""))).number()));
}

TEST_F(TextFunctions, ArrayAndAscan) {
  Value a = ARRAY(Value(3));
  EXPECT_EQ(a.length(), 3u);
  EXPECT_TRUE(a.element(1).isNil());
  Value list = Value::array({Value("alpha"), Value(5), Value("beta"), Value(5)});
  EXPECT_EQ(ASCAN(list, Value(5)).number(), 2);
  EXPECT_EQ(ASCAN(list, Value(5), Value(3)).number(), 4);
  EXPECT_EQ(ASCAN(list, Value(5), Value(3), Value(1)).number(), 0);
  EXPECT_EQ(ASCAN(list, Value("be")).number(), 3);  // the platform's "=": a prefix matches
  EXPECT_EQ(ASCAN(list, Value(6)).number(), 0);
  EXPECT_EQ(ASCAN(list, Value(5), Value(99)).number(), 0);
  EXPECT_EQ(ASCAN(list, Value(5), Value(-4)).number(), 2);
  Value pred = Value::callback([](std::vector<Value>& args) { return Value(args[0].isText() && args[0].text() == "beta"); });
  EXPECT_EQ(ASCAN(list, pred).number(), 3);
}

TEST_F(TextFunctions, AnArrayValueWithoutAnArrayIsAnEmptyArray) {
  Value none{ArrayPtr()};
  EXPECT_EQ(ASCAN(none, Value(1)).number(), 0);
  EXPECT_EQ(LEN(none).number(), 0);
  EXPECT_TRUE(EMPTY(none));
  EXPECT_EQ(VAR2CHAR(none), "{}");
  EXPECT_TRUE(none.element(1).isNil());
}

TEST_F(TextFunctions, AscanSurvivesACallbackThatEmptiesTheArray) {
  Value list = Value::array({1, 2, 3});
  Value pred = Value::callback([list](std::vector<Value>&) {
    list.array()->clear();
    return Value(false);
  });
  EXPECT_EQ(ASCAN(list, pred).number(), 0);
}

TEST_F(TextFunctions, Var2CharAndDisplayForm) {
  auto err = std::make_shared<Error>();
  Value nested = Value::array({Value(1), Value("x"), Value::array({Value(true), Value()})});
  struct Case {
    Value v;
    std::string var2char, display;
  } cases[] = {
      {Value(), "NIL", "NIL"},
      {Value(1), "1", "         1"},
      {Value(0), "0", "         0"},
      {Value(-2.5), "-2.5", "        -2.5"},
      {Value("text"), "text", "text"},
      {Value(true), ".T.", ".T."},
      {Value(false), ".F.", ".F."},
      {nested, "{1, \"x\", {.T., NIL}}", "{...}"},
      {Value(err), "<Error object>", "<Error object>"},
      {Value::callback([](std::vector<Value>&) { return Value(); }), "{||...}", "{||...}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VAR2CHAR(c.v), c.var2char);
    EXPECT_EQ(displayForm(c.v), c.display);
  }
}

TEST_F(TextFunctions, Var2CharOfAnArrayThatHoldsItselfEnds) {
  Value a = Value::array({Value(1)});
  a.array()->push_back(a);
  EXPECT_EQ(VAR2CHAR(a), "{1, {...}}");
  a.array()->clear();  // break the cycle so the array is freed
}

TEST_F(TextFunctions, DatesFollowTheDateFormat) {
  Date d = dateFromCivil(2026, 3, 7);
  ASSERT_NE(d.julianDay, 0);
  EXPECT_EQ(dateFromCivil(2000, 1, 1).julianDay, 2451545);
  EXPECT_EQ(dateFromCivil(2026, 2, 30).julianDay, 0);
  EXPECT_EQ(formatDate(d), "03/07/26");  // start-up format "mm/dd/yy"
  SET(setting::kDateFormat, Value("mm/dd/yyyy"));
  EXPECT_EQ(formatDate(d), "03/07/2026");
  EXPECT_EQ(displayForm(Value(d)), "03/07/2026");
  SET(setting::kDateFormat, Value("DD.MM.YYYY"));
  EXPECT_EQ(formatDate(d), "07.03.2026");
  EXPECT_EQ(formatDate(Date{}), "  .  .    ");
  EXPECT_EQ(formatDate(Date{-5}), "  .  .    ");
  EXPECT_EQ(formatDate(Date{INT64_MAX}), "  .  .    ");
}

TEST_F(TextFunctions, DateAndTimeAreNow) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  Value today = DATE();
  ASSERT_TRUE(today.isDate());
  Date expected = dateFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  // Allow for midnight passing between the two readings.
  EXPECT_LE(std::llabs(today.date().julianDay - expected.julianDay), 1);
  std::string t = TIME();
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[2], ':');
  EXPECT_EQ(t[5], ':');
  EXPECT_LT(std::stoi(t.substr(0, 2)), 24);
}

// ---- memo lines -------------------------------------------------------------------------

std::vector<std::string> memoLines(const std::string& text, int width, Value wrap = Value(true)) {
  std::vector<std::string> lines;
  int n = static_cast<int>(MLCOUNT(Value(text), Value(width), Value(), wrap).number());
  for (int i = 1; i <= n; ++i) lines.push_back(RTRIM(MEMOLINE(Value(text), Value(width), Value(i), Value(), wrap)).text());
  return lines;
}

TEST_F(TextFunctions, TwentyFiveLetterWordsAtWidthFiftyMakeLinesOfEightEightAndFour) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += (i ? " " : "") + std::string(5, static_cast<char>('a' + i));
  ASSERT_EQ(text.size(), 119u);
  auto lines = memoLines(text, 50);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], text.substr(0, 47));
  EXPECT_EQ(lines[1], text.substr(48, 47));
  EXPECT_EQ(lines[2], text.substr(96));
  // Memo lines come padded to the width.
  EXPECT_EQ(MEMOLINE(Value(text), Value(50), Value(3)).length(), 50u);
}

TEST_F(TextFunctions, MemoWrappingCases) {
  struct Case {
    std::string text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"", 10, {}},
      {"short", 10, {"short"}},
      {"exactly10!", 10, {"exactly10!"}},
      {"one two three", 7, {"one two", "three"}},
      {"one    two", 5, {"one", "two"}},  // blanks at the wrap are dropped
      {"abcdefghijkl", 5, {"abcde", "fghij", "kl"}},  // a word longer than the line is cut
      {"ab abcdefghij", 5, {"ab", "abcde", "fghij"}},
      {"a\nb", 10, {"a", "b"}},
      {"a\r\nb\rc", 10, {"a", "b", "c"}},
      {"a\n\nb", 10, {"a", "", "b"}},
      {"a\n", 10, {"a"}},
      {"\n", 10, {""}},
      {"\tx", 10, {"    x"}},
      {std::string("a\0b c", 5), 3, {std::string("a\0b", 3), "c"}},
      {"\xc3\xa9\xc3\xa9\xc3\xa9", 3, {"\xc3\xa9", "\xc3\xa9", "\xc3\xa9"}},  // no cut inside a character
      {"\xff\xfe\xfd\xfc", 2, {"\xff\xfe", "\xfd\xfc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(memoLines(c.text, c.width), c.lines);
  }
}

TEST_F(TextFunctions, MemoWithoutWordWrapCutsAtTheWidth) {
  EXPECT_EQ(memoLines("one two three", 5, Value(false)), (std::vector<std::string>{"one t", "wo th", "ree"}));
}

TEST_F(TextFunctions, MemoLineOutsideTheTextIsEmpty) {
  EXPECT_EQ(MEMOLINE(Value("abc"), Value(10), Value(2)).text(), "");
  EXPECT_EQ(MEMOLINE(Value("abc"), Value(10), Value(0)).text(), "");
  EXPECT_EQ(MEMOLINE(Value("abc"), Value(10), Value(-1e300)).text(), "");
}

TEST_F(TextFunctions, EveryMemoLineFitsTheWidth) {
  std::string text;
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245 + 12345;
    int r = static_cast<int>((seed >> 16) % 20);
    text += r < 3 ? ' ' : r == 3 ? '\n' : static_cast<char>('a' + r);
  }
  for (int width : {1, 2, 7, 50, 79}) {
    for (const auto& line : memoLines(text, width)) EXPECT_LE(line.size(), static_cast<std::size_t>(width));
  }
}

TEST_F(TextFunctions, FileTellsWhetherAFileExists) {
  EXPECT_TRUE(FILE("/proc/self/exe"));
  EXPECT_FALSE(FILE("/nonexistent/qv-file"));
  EXPECT_FALSE(FILE("/tmp"));  // a directory is not a file
  EXPECT_FALSE(FILE(std::string("/proc/self/exe\0x", 16)));
  EXPECT_FALSE(FILE(""));
}

}  // namespace
}  // namespace qv
