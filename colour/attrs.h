// Presentation-space attribute helpers. Each forwards one request to `oPS`, or to the
// application window's presentation space when `oPS` is exactly NIL, and returns the
// result unchanged. The overload chosen (the number of arguments passed) picks the form.
#pragma once

#include "platform/runtime/value.h"

namespace qv {

Value GRAERROR();
Value GRAERROR(const Value& oPS);
Value GRASETCOLOR();
Value GRASETCOLOR(const Value& oPS);
Value GRASETCOLOR(const Value& oPS, const Value& nForeground);
Value GRASETCOLOR(const Value& oPS, const Value& nForeground, const Value& nBackground);
Value GRASETATTRLINE();
Value GRASETATTRLINE(const Value& oPS);
Value GRASETATTRLINE(const Value& oPS, const Value& aAttr);
Value GRASETATTRMARKER();
Value GRASETATTRMARKER(const Value& oPS);
Value GRASETATTRMARKER(const Value& oPS, const Value& aAttr);
Value GRASETATTRAREA();
Value GRASETATTRAREA(const Value& oPS);
Value GRASETATTRAREA(const Value& oPS, const Value& aAttr);
Value GRASETATTRSTRING();
Value GRASETATTRSTRING(const Value& oPS);
Value GRASETATTRSTRING(const Value& oPS, const Value& aAttr);
Value GRASETFONT();
Value GRASETFONT(const Value& oPS);
Value GRASETFONT(const Value& oPS, const Value& oFont);
Value GRASEGDRAWMODE();
Value GRASEGDRAWMODE(const Value& oPS);
Value GRASEGDRAWMODE(const Value& oPS, const Value& nMode);

}  // namespace qv
