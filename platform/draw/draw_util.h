// Helpers shared by the drawing primitives of this folder.
#pragma once

#include <cairo.h>

#include <string>

#include "platform/draw/geometry.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/error.h"
#include "platform/runtime/value.h"

namespace qv {

// Raises a drawing error (subsystem "QVP") through the error callback.
void raiseDrawError(int genCode, const std::string& operation, const std::string& description,
                    const Value& args = {});

// The created presentation space a value names, or null after raising a runtime error.
QvpPresSpacePtr requirePresSpace(const Value& ps, const char* operation);

// The device pixels a user-space rectangle touches, one pixel of margin included.
DeviceRect deviceExtents(cairo_t* cr, double x1, double y1, double x2, double y2);

// The colour an attribute value stands for on this space's backdrop, set as source.
void setSourceColour(cairo_t* cr, double colour, double backdrop);

}  // namespace qv
