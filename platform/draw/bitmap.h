// QvpBitmap: a picture from an image file or from the program's resources.
//
// LoadFile reads BMP (1, 4, 8, 24 and 32 bits per pixel, bottom-up and top-down) and PNG.
// A missing, truncated, oversized or hostile file answers false and leaves an empty bitmap
// (size 0 x 0) whose Draw draws nothing and does not fail.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/value.h"

namespace qv {

// Largest picture accepted, in pixels (width x height).
inline constexpr std::int64_t kMaxBitmapPixels = 16 * 1024 * 1024;

struct DecodedImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;  // premultiplied ARGB32, rows top to bottom
};
// Decodes an image held in memory; false for anything it cannot read safely.
bool decodeImage(const unsigned char* data, std::size_t size, DecodedImage& out);

class QvpBitmap : public Object {
  QV_CLASS(QvpBitmap, Object)
 public:
  static std::shared_ptr<QvpBitmap> New(const Value& presSpace = {});
  QvpBitmap& Create(const Value& presSpace = {});
  bool LoadFile(const Value& fileName);
  // Load(NIL, nId): a bitmap of the program's resources; false when there is none.
  bool Load(const Value& module, const Value& id);
  double xSize() const;
  double ySize() const;
  // Maps source rectangle {x1, y1, x2, y2} of the bitmap (y up, origin lower-left) onto
  // target rectangle {x1, y1, x2, y2} of the presentation space, scaling where sizes
  // differ; the pixels from x1 up to (not including) x2 are copied.
  bool Draw(const Value& presSpace, const Value& target, const Value& source);
  void Destroy();
  bool isDestroyed() const;
  cairo_surface_t* surface() const;  // null when empty

  ~QvpBitmap() override;

 private:
  cairo_surface_t* surface_ = nullptr;
  bool destroyed_ = false;
};
using QvpBitmapPtr = std::shared_ptr<QvpBitmap>;

// The program's embedded bitmap resources: the raw file bytes of resource `id`, or null.
struct ResourceBytes {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};
ResourceBytes findBitmapResource(int id);

}  // namespace qv
