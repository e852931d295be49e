#include <gtest/gtest.h>

#include "platform/runtime/value.h"
#include "support.h"

namespace qv {
namespace {

using test::ErrorRecorder;
using test::RuntimeTest;

TEST(NamesEqual, IgnoresCaseButNotLength) {
  EXPECT_TRUE(namesEqual("SetFontCompoundName", "setfontcompoundname"));
  EXPECT_TRUE(namesEqual("", ""));
  EXPECT_FALSE(namesEqual("Caption", "Captions"));
  EXPECT_FALSE(namesEqual("lbDown", "lbUp"));
}

TEST(ValueTest, TypeCodesAndWrongTypeAccessGivesNeutralValues) {
  struct Case {
    Value v;
    char code;
  };
  Case cases[] = {{Value(), 'U'},
                  {Value(1.5), 'N'},
                  {Value("x"), 'C'},
                  {Value(true), 'L'},
                  {Value(Date{2451545}), 'D'},
                  {Value::array({1, 2}), 'A'},
                  {Value(std::make_shared<Object>()), 'O'},
                  {Value::callback([](std::vector<Value>&) { return Value(); }), 'B'}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.v.typeCode(), c.code);
    EXPECT_EQ(c.v.number(), c.code == 'N' ? 1.5 : 0);
    EXPECT_EQ(c.v.text(), c.code == 'C' ? "x" : "");
    EXPECT_EQ(c.v.array() != nullptr, c.code == 'A');
    EXPECT_EQ(c.v.object() != nullptr, c.code == 'O');
  }
  // A null object or callback is NIL, not an object holding nothing.
  EXPECT_TRUE(Value(ObjectPtr()).isNil());
  EXPECT_TRUE(Value(CallbackPtr()).isNil());
  EXPECT_TRUE(Value::callback(CallbackFn()).isNil());
}

TEST(ValueTest, ArraysAreSharedAndCountedFromOne) {
  Value a = Value::array({10, 20, 30});
  Value b = a;
  b.at(2) = Value("changed");
  EXPECT_EQ(a.element(2).text(), "changed");
  EXPECT_EQ(a.element(1).number(), 10);
  EXPECT_TRUE(a.element(0).isNil());
  EXPECT_TRUE(a.element(4).isNil());
  EXPECT_EQ(a.length(), 3u);
  EXPECT_EQ(Value::arrayOf(4).length(), 4u);
  EXPECT_TRUE(Value::arrayOf(4).element(4).isNil());
}

TEST_F(RuntimeTest, WritingPastTheEndOfAnArrayIsABoundErrorNotACorruption) {
  ErrorRecorder rec;
  Value a = Value::array({1});
  a.at(5) = Value(99);
  a.at(0) = Value(98);
  Value notArray(3);
  notArray.at(1) = Value(97);
  ASSERT_EQ(rec.errors.size(), 3u);
  EXPECT_EQ(rec.errors[0]->genCode, gen::kBound);
  EXPECT_EQ(a.length(), 1u);
  EXPECT_EQ(a.element(1).number(), 1);
  EXPECT_EQ(notArray.number(), 3);
}

TEST(ValueTest, CallbacksReceiveArgumentsByReference) {
  Value cb = Value::callback([](std::vector<Value>& args) {
    args[0] = Value("out");
    return Value(static_cast<double>(args.size()));
  });
  std::vector<Value> args{Value(1), Value(2)};
  EXPECT_EQ(cb.call(args).number(), 2);
  EXPECT_EQ(args[0].text(), "out");
  EXPECT_TRUE(Value(5).call({Value(1)}).isNil());
}

TEST(ValueTest, LooseAndExactEquality) {
  auto obj = std::make_shared<Object>();
  Value arr = Value::array({1});
  struct Case {
    Value a, b;
    bool loose, exact;
  };
  Case cases[] = {
      {Value(1), Value(1.0), true, true},
      {Value(1), Value(2), false, false},
      {Value("abc"), Value("ab"), true, false},  // left begins with right
      {Value("ab"), Value("abc"), false, false},
      {Value("abc"), Value(""), true, false},
      {Value("abc"), Value("abc"), true, true},
      {Value(std::string("a\0b", 3)), Value(std::string("a\0c", 3)), false, false},
      {Value(), Value(), true, true},
      {Value(0), Value(false), false, false},
      {Value(0), Value(), false, false},
      {Value(true), Value(true), true, true},
      {Value(Date{5}), Value(Date{5}), true, true},
      {arr, arr, true, true},
      {arr, Value::array({1}), false, false},  // arrays by identity
      {Value(obj), Value(obj), true, true},
      {Value(obj), Value(std::make_shared<Object>()), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(displayForm(c.a) + " vs " + displayForm(c.b));
    EXPECT_EQ(c.a.looselyEquals(c.b), c.loose);
    EXPECT_EQ(c.a.exactlyEquals(c.b), c.exact);
  }
}

class Derived : public Object {
  QV_CLASS(Derived, Object)
};
class MoreDerived : public Derived {
  QV_CLASS(MoreDerived, Derived)
};

TEST(ValueTest, ClassChainIsTheCppOneIgnoringCase) {
  MoreDerived m;
  EXPECT_EQ(m.className(), "MoreDerived");
  EXPECT_TRUE(m.IsDerivedFrom("derived"));
  EXPECT_TRUE(m.IsDerivedFrom("OBJECT"));
  EXPECT_FALSE(m.IsDerivedFrom("RootCrt"));
  Value v(std::make_shared<MoreDerived>());
  EXPECT_NE(v.as<Derived>(), nullptr);
  EXPECT_EQ(v.as<Error>(), nullptr);
}

}  // namespace
}  // namespace qv
