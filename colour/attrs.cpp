#include "colour/attrs.h"

#include "platform/draw/draw_util.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"

namespace qv {

namespace {

// Exactly NIL names the application window's presentation space, looked up afresh on
// every call; any other value is used as it is.
bool resolve(const Value& oPS, const char* operation, Value& out) {
  if (!oPS.isNil()) {
    out = oPS;
    return true;
  }
  ObjectPtr window = SETAPPWINDOW();
  if (!window) {
    raiseDrawError(gen::kGui, operation, "There is no application window to draw in");
    return false;
  }
  auto* source = dynamic_cast<PresSpaceSource*>(window.get());
  if (!source) {
    raiseDrawError(gen::kGui, operation,
                     "The application window has no presentation space");
    return false;
  }
  out = source->presSpace();
  return true;
}

// The presentation space the request goes to, or null after raising the error the
// forwarded operation would raise for a value that has no such method.
QvpPresSpacePtr target(const Value& oPS, const char* operation, const char* method) {
  Value ps;
  if (!resolve(oPS, operation, ps)) return nullptr;
  auto space = ps.as<QvpPresSpace>();
  if (!space) {
    raiseDrawError(gen::kNoMethod, method,
                     std::string("The value has no method ") + method +
                         ": it is not a presentation space",
                     Value::array({ps}));
  }
  return space;
}

}  // namespace

Value GRAERROR() { return GRAERROR(Value()); }
Value GRAERROR(const Value& oPS) {
  auto ps = target(oPS, "GRAERROR", "lastError");
  return ps ? ps->lastError() : Value();
}

Value GRASETCOLOR() { return GRASETCOLOR(Value()); }
Value GRASETCOLOR(const Value& oPS) {
  auto ps = target(oPS, "GRASETCOLOR", "setColor");
  return ps ? ps->setColor() : Value();
}
Value GRASETCOLOR(const Value& oPS, const Value& nForeground) {
  auto ps = target(oPS, "GRASETCOLOR", "setColor");
  return ps ? ps->setColor(nForeground) : Value();
}
Value GRASETCOLOR(const Value& oPS, const Value& nForeground, const Value& nBackground) {
  auto ps = target(oPS, "GRASETCOLOR", "setColor");
  return ps ? ps->setColor(nForeground, nBackground) : Value();
}

#define QV_ATTR_HELPER(NAME, METHOD)                                \
  Value NAME() { return NAME(Value()); }                            \
  Value NAME(const Value& oPS) {                                    \
    auto ps = target(oPS, #NAME, #METHOD);                          \
    return ps ? ps->METHOD() : Value();                             \
  }                                                                 \
  Value NAME(const Value& oPS, const Value& arg) {                  \
    auto ps = target(oPS, #NAME, #METHOD);                          \
    return ps ? ps->METHOD(arg) : Value();                          \
  }

QV_ATTR_HELPER(GRASETATTRLINE, setAttrLine)
QV_ATTR_HELPER(GRASETATTRMARKER, setAttrMarker)
QV_ATTR_HELPER(GRASETATTRAREA, setAttrArea)
QV_ATTR_HELPER(GRASETATTRSTRING, setAttrString)
QV_ATTR_HELPER(GRASETFONT, setFont)
QV_ATTR_HELPER(GRASEGDRAWMODE, drawMode)

#undef QV_ATTR_HELPER

}  // namespace qv
