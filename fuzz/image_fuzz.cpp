// The image decoder on arbitrary bytes: it may refuse, but what it accepts must be a
// picture of the size it reports, within the pixel limit.
#include <cstddef>
#include <cstdint>

#include "fuzz/common.h"
#include "platform/draw/bitmap.h"

extern "C" int QVFUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
  qv::DecodedImage image;
  if (qv::decodeImage(data, size, image)) {
    QVFUZZ_CHECK(image.width > 0 && image.height > 0);
    QVFUZZ_CHECK(static_cast<std::int64_t>(image.width) * image.height <= qv::kMaxBitmapPixels);
    QVFUZZ_CHECK(image.argb.size() == static_cast<std::size_t>(image.width) * image.height);
    // Premultiplied: no colour channel above its alpha.
    for (std::uint32_t p : image.argb) {
      const std::uint32_t a = p >> 24;
      QVFUZZ_CHECK(((p >> 16) & 0xff) <= a && ((p >> 8) & 0xff) <= a && (p & 0xff) <= a);
    }
  }
  return 0;
}
