#include "platform/draw/png.h"

#include <memory>

namespace qv {

bool writePng(cairo_surface_t* surface, const DeviceRect& rect, const std::string& path) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
    return false;
  cairo_surface_flush(surface);
  DeviceRect whole{0, 0, cairo_image_surface_get_width(surface),
                   cairo_image_surface_get_height(surface)};
  DeviceRect r = intersect(rect, whole);
  if (r.empty()) return false;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> part(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, r.w, r.h), cairo_surface_destroy);
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(part.get()), cairo_destroy);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr.get(), surface, -r.x, -r.y);
  cairo_paint(cr.get());
  cr.reset();
  return cairo_surface_write_to_png(part.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace qv
