// The one Pango context all text of the program is measured and drawn with.
#pragma once

#include <pango/pango.h>

namespace qv {

// Hint metrics off and glyph positions unrounded, so that a text measures the same at any
// angle and measuring agrees with drawing. Created on first use, lives to the end.
PangoContext* textContext();
// The description used while a presentation space has no font: "8.Arial".
const PangoFontDescription* defaultFontDescription();

}  // namespace qv
