#include "platform/runtime/value.h"

#include <cctype>
#include <cmath>

#include "platform/runtime/internal.h"

namespace qv {

bool namesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

Value Value::array(std::initializer_list<Value> elements) { return Value(std::make_shared<Array>(elements)); }

Value Value::array(Array elements) { return Value(std::make_shared<Array>(std::move(elements))); }

Value Value::arrayOf(std::size_t n) { return Value(std::make_shared<Array>(n)); }

Value Value::callback(CallbackFn fn) {
  if (!fn) return Value();
  return Value(std::make_shared<CallbackFn>(std::move(fn)));
}

double Value::number() const {
  const double* d = std::get_if<double>(&v_);
  return d ? *d : 0.0;
}

const std::string& Value::text() const {
  static const std::string empty;
  const std::string* s = std::get_if<std::string>(&v_);
  return s ? *s : empty;
}

bool Value::logical() const {
  const bool* b = std::get_if<bool>(&v_);
  return b ? *b : false;
}

Date Value::date() const {
  const Date* d = std::get_if<Date>(&v_);
  return d ? *d : Date{};
}

const ArrayPtr& Value::array() const {
  static const ArrayPtr none;
  const ArrayPtr* a = std::get_if<ArrayPtr>(&v_);
  return a ? *a : none;
}

const ObjectPtr& Value::object() const {
  static const ObjectPtr none;
  const ObjectPtr* o = std::get_if<ObjectPtr>(&v_);
  return o ? *o : none;
}

const CallbackPtr& Value::callbackPtr() const {
  static const CallbackPtr none;
  const CallbackPtr* c = std::get_if<CallbackPtr>(&v_);
  return c ? *c : none;
}

Value Value::element(std::size_t oneBased) const {
  const ArrayPtr& a = array();
  if (!a || oneBased == 0 || oneBased > a->size()) return Value();
  return (*a)[oneBased - 1];
}

Value& Value::at(std::size_t oneBased) {
  const ArrayPtr& a = array();
  if (a && oneBased >= 1 && oneBased <= a->size()) return (*a)[oneBased - 1];
  // Writing past the end is a bound error; the caller gets a scratch slot whose contents
  // are thrown away, never memory outside the array.
  ErrorSpec fault;
  fault.genCode = gen::kBound;
  fault.description = "Array index out of bounds";
  fault.operation = "[]";
  fault.args = Value::array({*this, Value(oneBased)});
  raiseError(makeError(fault));
  thread_local Value scratch;
  scratch = Value();
  return scratch;
}

std::size_t Value::length() const {
  if (const ArrayPtr* a = std::get_if<ArrayPtr>(&v_)) return *a ? (*a)->size() : 0;
  if (const std::string* s = std::get_if<std::string>(&v_)) return s->size();
  return 0;
}

Value Value::call(std::vector<Value>& args) const {
  const CallbackPtr& c = callbackPtr();
  if (!c || !*c) return Value();
  // Keep the callable alive even if it replaces the value that holds it.
  CallbackPtr keep = c;
  return (*keep)(args);
}

Value Value::call(std::initializer_list<Value> args) const {
  std::vector<Value> v(args);
  return call(v);
}

char Value::typeCode() const {
  switch (v_.index()) {
    case 0: return 'U';
    case 1: return 'N';
    case 2: return 'C';
    case 3: return 'L';
    case 4: return 'D';
    case 5: return 'A';
    case 6: return 'O';
    case 7: return 'B';
  }
  return 'U';
}

bool Value::looselyEquals(const Value& other) const {
  if (isText() && other.isText()) {
    const std::string& l = text();
    const std::string& r = other.text();
    return l.compare(0, r.size(), r) == 0 && l.size() >= r.size();
  }
  return exactlyEquals(other);
}

bool Value::exactlyEquals(const Value& other) const {
  if (v_.index() != other.v_.index()) return false;
  switch (v_.index()) {
    case 0: return true;
    case 1: return number() == other.number();
    case 2: return text() == other.text();
    case 3: return logical() == other.logical();
    case 4: return date() == other.date();
    case 5: return array() == other.array();
    case 6: return object() == other.object();
    case 7: return callbackPtr() == other.callbackPtr();
  }
  return false;
}

}  // namespace qv
