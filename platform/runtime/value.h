// The platform's dynamically typed value.
//
// A Value is NIL, a number (double), text, a logical, a date, an array (shared, so two
// Values can name one array and a change through one shows through the other), an object
// (shared pointer to an Object) or a callback. Arrays are counted from 1 in the
// platform's API (`at(1)` is the first element); the C++ vector underneath counts from 0.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv {

class Value;
class Object;

using ObjectPtr = std::shared_ptr<Object>;
using Array = std::vector<Value>;
using ArrayPtr = std::shared_ptr<Array>;

// A callable value. It receives its arguments by reference, so a callback can hand a
// result back through an argument as well as through its return value.
using CallbackFn = std::function<Value(std::vector<Value>& args)>;
using CallbackPtr = std::shared_ptr<CallbackFn>;

struct Nil {
  bool operator==(const Nil&) const = default;
};

// A calendar date as a Julian day number; 0 is the empty date.
struct Date {
  std::int64_t julianDay = 0;
  bool operator==(const Date&) const = default;
};

// Case-insensitive comparison of names: member, method and class names ignore case.
bool namesEqual(std::string_view a, std::string_view b);

// Base of every platform object (windows, presentation spaces, fonts, bitmaps, error
// objects). It answers its class name and walks its real class chain in IsDerivedFrom.
class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;
  virtual std::string className() const { return "Object"; }
  // True when this object's class is `name` or derives from it (case-insensitive).
  virtual bool IsDerivedFrom(std::string_view name) const { return namesEqual(name, "Object"); }
};

// Declares className() and IsDerivedFrom() for a class `Name` derived from `Base`, so
// that the class chain seen at run time is the C++ one.
#define QV_CLASS(Name, Base)                                                      \
 public:                                                                          \
  std::string className() const override { return #Name; }                       \
  bool IsDerivedFrom(std::string_view name) const override {                     \
    return ::qv::namesEqual(name, #Name) || Base::IsDerivedFrom(name);            \
  }

class Value {
 public:
  using Storage = std::variant<Nil, double, std::string, bool, Date, ArrayPtr, ObjectPtr, CallbackPtr>;

  Value() = default;
  Value(Nil) {}
  Value(std::nullptr_t) {}
  Value(double n) : v_(n) {}
  Value(int n) : v_(static_cast<double>(n)) {}
  Value(long n) : v_(static_cast<double>(n)) {}
  Value(long long n) : v_(static_cast<double>(n)) {}
  Value(unsigned n) : v_(static_cast<double>(n)) {}
  Value(std::size_t n) : v_(static_cast<double>(n)) {}
  Value(bool b) : v_(b) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(Date d) : v_(d) {}
  Value(ArrayPtr a) : v_(std::move(a)) {}
  template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
  Value(std::shared_ptr<T> o) : v_(objectStorage(std::move(o))) {}
  Value(CallbackPtr c) {
    if (c) v_ = std::move(c);
  }
  // A new array holding these elements: Value{1, 2, 3} is NOT this; use Value::array.
  static Value array(std::initializer_list<Value> elements);
  static Value array(Array elements);
  // A new array of n NIL elements (the platform's ARRAY(n)).
  static Value arrayOf(std::size_t n);
  static Value callback(CallbackFn fn);

  bool isNil() const { return std::holds_alternative<Nil>(v_); }
  bool isNumber() const { return std::holds_alternative<double>(v_); }
  bool isText() const { return std::holds_alternative<std::string>(v_); }
  bool isLogical() const { return std::holds_alternative<bool>(v_); }
  bool isDate() const { return std::holds_alternative<Date>(v_); }
  bool isArray() const { return std::holds_alternative<ArrayPtr>(v_); }
  bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }
  bool isCallback() const { return std::holds_alternative<CallbackPtr>(v_); }

  // Typed access. Each asserts nothing: asking for the wrong type gives the neutral value
  // (0, "", false, an empty array pointer, a null object). Use the is*() tests first.
  double number() const;
  const std::string& text() const;
  bool logical() const;
  Date date() const;
  const ArrayPtr& array() const;
  const ObjectPtr& object() const;
  const CallbackPtr& callbackPtr() const;
  template <class T>
  std::shared_ptr<T> as() const {
    return isObject() ? std::dynamic_pointer_cast<T>(object()) : nullptr;
  }

  // Array element, counted from 1. Out of range gives NIL (reading) — see at() for writing.
  Value element(std::size_t oneBased) const;
  // Reference to an element, counted from 1; the array must be long enough.
  Value& at(std::size_t oneBased);
  std::size_t length() const;  // array length, text length, else 0

  // Calls a callback value with the given arguments; a non-callback gives NIL.
  Value call(std::vector<Value>& args) const;
  Value call(std::initializer_list<Value> args = {}) const;

  // The one-letter type code: "U" NIL, "N", "C", "L", "D", "A", "O", "B" callback.
  char typeCode() const;

  // The platform's ordinary equality: numbers by value, texts where the left one begins
  // with the right one (as the platform's "=" does), objects and arrays by identity.
  bool looselyEquals(const Value& other) const;
  // Exact equality: same type and same value; texts must match completely.
  bool exactlyEquals(const Value& other) const;

  const Storage& storage() const { return v_; }

 private:
  // A null object is NIL.
  static Storage objectStorage(ObjectPtr o) {
    if (!o) return Storage();
    return Storage(std::in_place_type<ObjectPtr>, std::move(o));
  }

  Storage v_;
};

}  // namespace qv
