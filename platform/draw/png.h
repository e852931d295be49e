// Writing back-buffer pixels to a PNG file (screenshots, test output).
#pragma once

#include <cairo.h>

#include <string>

#include "platform/draw/geometry.h"

namespace qv {

// Writes the part `rect` (device pixels) of an image surface as a PNG file. The part is
// clipped to the surface; false when nothing is left or the file cannot be written.
bool writePng(cairo_surface_t* surface, const DeviceRect& rect, const std::string& path);

}  // namespace qv
