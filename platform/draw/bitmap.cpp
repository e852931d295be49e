#include "platform/draw/bitmap.h"

#include <stb/stb_image.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "platform/draw/draw_util.h"

namespace qv {

namespace {

// Files larger than this cannot hold an image we accept.
constexpr std::int64_t kMaxFileBytes = kMaxBitmapPixels * 4 + 64 * 1024 * 1024;

std::uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

// Checks a BMP file against its own header before the decoder sees it: the header sizes
// the decoder knows, a supported depth and compression, a pixel count within the limit,
// pixel data that really is in the file (the decoder would fill a short file with
// zeros) and palette indices that lie inside the palette.
bool bmpIsSound(const unsigned char* d, std::size_t size) {
  if (size < 26) return false;
  std::uint32_t offBits = le32(d + 10);
  std::uint32_t headerSize = le32(d + 14);
  std::int64_t width, height;
  std::uint32_t bpp, compression = 0, colours = 0;
  std::uint32_t entrySize = 4;
  if (headerSize == 12) {
    width = le16(d + 18);
    height = static_cast<std::int16_t>(le16(d + 20));
    bpp = le16(d + 24);
    entrySize = 3;
  } else if (headerSize == 40 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    if (size < 14 + std::size_t{40}) return false;
    width = static_cast<std::int32_t>(le32(d + 18));
    height = static_cast<std::int32_t>(le32(d + 22));
    bpp = le16(d + 28);
    compression = le32(d + 30);
    colours = le32(d + 46);
  } else {
    return false;
  }
  if (14 + std::size_t{headerSize} > size) return false;
  if (width <= 0 || height == 0) return false;
  std::int64_t rows = height < 0 ? -height : height;
  if (width * rows > kMaxBitmapPixels) return false;
  bool indexed = bpp == 1 || bpp == 4 || bpp == 8;
  if (!indexed && bpp != 16 && bpp != 24 && bpp != 32) return false;
  // Uncompressed only; masks (3) only where they make sense.
  if (!(compression == 0 || (compression == 3 && (bpp == 16 || bpp == 32)))) return false;

  std::int64_t stride = ((width * bpp + 31) / 32) * 4;
  if (offBits < 14 + headerSize || offBits > size) return false;
  if (static_cast<std::int64_t>(offBits) + stride * rows > static_cast<std::int64_t>(size))
    return false;
  if (!indexed) return true;

  // The decoder reads the palette from the gap between header and pixels; the file may
  // declare fewer colours. An index must name a colour that is both declared and read.
  // (For the old 12-byte header the decoder reads four entries fewer than the gap holds;
  // indices into those would show uninitialised colours, so they count as outside.)
  std::int64_t gapBytes = std::int64_t{offBits} - 14 - (headerSize == 12 ? 24 : headerSize);
  std::int64_t inGap = gapBytes > 0 ? gapBytes / entrySize : 0;
  std::int64_t declared = colours ? colours : (std::int64_t{1} << bpp);
  if (declared > (std::int64_t{1} << bpp) || inGap < 1 || inGap > 256) return false;
  std::int64_t limit = std::min(declared, inGap);
  if (limit >= (std::int64_t{1} << bpp)) return true;
  for (std::int64_t y = 0; y < rows; ++y) {
    const unsigned char* row = d + offBits + y * stride;
    for (std::int64_t x = 0; x < width; ++x) {
      std::int64_t bit = x * bpp;
      unsigned byte = row[bit / 8];
      unsigned index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
      if (index >= limit) return false;
    }
  }
  return true;
}

std::uint32_t be32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// A PNG's chunks must all lie inside the file, IHDR first, up to IEND. The decoder grows
// its buffer to the length a chunk claims before it reads the chunk, so a few hundred
// bytes claiming a 2 GB chunk would otherwise make it allocate 2 GB.
bool pngIsSound(const unsigned char* d, std::size_t size) {
  std::size_t pos = 8;
  bool first = true;
  while (size - pos >= 12) {
    const std::uint32_t length = be32(d + pos);
    if (length > 0x7fffffffu || length > size - pos - 12) return false;
    const unsigned char* type = d + pos + 4;
    if (first && std::memcmp(type, "IHDR", 4) != 0) return false;
    // An empty IDAT has the decoder copy zero bytes into a buffer it has not made yet (a
    // null pointer); no encoder writes one, so it is refused.
    if (length == 0 && std::memcmp(type, "IDAT", 4) == 0) return false;
    first = false;
    if (std::memcmp(type, "IEND", 4) == 0) return true;
    pos += 12 + std::size_t{length};
  }
  return false;
}

}  // namespace

bool decodeImage(const unsigned char* data, std::size_t size, DecodedImage& out) {
  out = {};
  if (!data || size < 8 || size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return false;
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  bool bmp = data[0] == 'B' && data[1] == 'M';
  bool png = std::memcmp(data, kPng, 8) == 0;
  if (!bmp && !png) return false;
  if (bmp && !bmpIsSound(data, size)) return false;
  if (png && !pngIsSound(data, size)) return false;

  int w = 0, h = 0, n = 0;
  int len = static_cast<int>(size);
  if (!stbi_info_from_memory(data, len, &w, &h, &n)) return false;
  // The decoder reports a top-down BMP's height as negative, as the file has it.
  if (bmp && h < 0 && h != std::numeric_limits<int>::min()) h = -h;
  if (w <= 0 || h <= 0 || std::int64_t{w} * h > kMaxBitmapPixels) return false;
  int dw = 0, dh = 0;
  unsigned char* rgba = stbi_load_from_memory(data, len, &dw, &dh, &n, 4);
  if (!rgba) return false;
  if (dw != w || dh != h) {
    stbi_image_free(rgba);
    return false;
  }
  out.width = w;
  out.height = h;
  out.argb.resize(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < out.argb.size(); ++i) {
    const unsigned char* p = rgba + 4 * i;
    std::uint32_t a = p[3];
    auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    out.argb[i] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
  }
  stbi_image_free(rgba);
  return true;
}

// ---- QvpBitmap -------------------------------------------------------------------------

std::shared_ptr<QvpBitmap> QvpBitmap::New(const Value& presSpace) {
  (void)presSpace;  // pictures do not depend on a presentation space here
  return std::make_shared<QvpBitmap>();
}

QvpBitmap& QvpBitmap::Create(const Value& presSpace) {
  (void)presSpace;
  destroyed_ = false;
  return *this;
}

namespace {

cairo_surface_t* surfaceFrom(const DecodedImage& image) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_surface_flush(s);
  unsigned char* pixels = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(pixels + static_cast<std::size_t>(y) * stride,
                image.argb.data() + static_cast<std::size_t>(y) * image.width,
                static_cast<std::size_t>(image.width) * 4);
  }
  cairo_surface_mark_dirty(s);
  return s;
}

}  // namespace

bool QvpBitmap::LoadFile(const Value& fileName) {
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (destroyed_ || !fileName.isText() || fileName.text().empty()) return false;
  std::ifstream in(fileName.text(), std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff length = in.tellg();
  if (length <= 0 || length > kMaxFileBytes) return false;
  in.seekg(0);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) return false;
  DecodedImage image;
  if (!decodeImage(bytes.data(), bytes.size(), image)) return false;
  surface_ = surfaceFrom(image);
  return surface_ != nullptr;
}

bool QvpBitmap::Load(const Value& module, const Value& id) {
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (destroyed_ || !module.isNil() || !id.isNumber()) return false;
  double n = id.number();
  if (!(n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) ||
      n != std::trunc(n))
    return false;
  ResourceBytes res = findBitmapResource(static_cast<int>(n));
  if (!res.data) return false;
  DecodedImage image;
  if (!decodeImage(res.data, res.size, image)) return false;
  surface_ = surfaceFrom(image);
  return surface_ != nullptr;
}

double QvpBitmap::xSize() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
double QvpBitmap::ySize() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

namespace {

struct Rect4 {
  double x1, y1, x2, y2;
};
std::optional<Rect4> toRect(const Value& v) {
  if (!v.isArray() || v.length() < 4) return std::nullopt;
  double n[4];
  for (int i = 0; i < 4; ++i) {
    Value e = v.element(i + 1);
    if (!e.isNumber() || !std::isfinite(e.number())) return std::nullopt;
    n[i] = e.number();
  }
  return Rect4{n[0], n[1], n[2], n[3]};
}

std::string traceRect(const Rect4& r) {
  return "{" + traceNumber(r.x1) + "," + traceNumber(r.y1) + "," + traceNumber(r.x2) + "," +
         traceNumber(r.y2) + "}";
}

}  // namespace

bool QvpBitmap::Draw(const Value& presSpace, const Value& target, const Value& source) {
  auto ps = requirePresSpace(presSpace, "QvpBitmap:Draw");
  if (!ps) return false;
  auto t = toRect(target), s = toRect(source);
  if (!t || !s) {
    raiseDrawError(gen::kArgument, "QvpBitmap:Draw",
                   "Target and source must be rectangles {x1, y1, x2, y2} of numbers",
                   Value::array({target, source}));
    return false;
  }
  if (ps->tracing()) ps->traceLine("bitmap " + traceRect(*t) + " " + traceRect(*s));
  // An empty bitmap, or an empty or reversed rectangle, draws nothing.
  double tw = t->x2 - t->x1, th = t->y2 - t->y1, sw = s->x2 - s->x1, sh = s->y2 - s->y1;
  if (!surface_ || tw <= 0 || th <= 0 || sw <= 0 || sh <= 0) return true;
  double scaleX = sw / tw, scaleY = sh / th;
  if (scaleX < 1e-6 || scaleX > 1e6 || scaleY < 1e-6 || scaleY > 1e6) return true;
  auto cr = ps->beginDrawing();
  if (!cr) return true;
  DeviceRect window = ps->device()->deviceRect();
  double bitmapHeight = ySize();

  // Window row y (up) is device row top + h - 1 - y; the target's rows y1 .. y2 - 1
  // start at device row top + h - y2. The bitmap's rows count from its bottom likewise.
  double left = window.x + t->x1, top = window.y + window.h - t->y2;
  cairo_t* c = cr.get();
  cairo_identity_matrix(c);
  auto whole = [](double v) { return std::clamp(v, -1e8, 1e8); };
  int ax1 = static_cast<int>(std::floor(whole(left))), ay1 = static_cast<int>(std::floor(whole(top)));
  int ax2 = static_cast<int>(std::ceil(whole(left + tw)));
  int ay2 = static_cast<int>(std::ceil(whole(top + th)));
  DeviceRect area = intersect(DeviceRect{ax1, ay1, ax2 - ax1, ay2 - ay1}, window);
  if (area.empty()) return true;
  // Fill the target clipped to the window; the pattern matrix maps device space back
  // into the bitmap.
  double x1 = std::max(left, double(area.x)), y1 = std::max(top, double(area.y));
  double x2 = std::min(left + tw, double(area.x + area.w));
  double y2 = std::min(top + th, double(area.y + area.h));
  if (x2 <= x1 || y2 <= y1) return true;
  cairo_rectangle(c, x1, y1, x2 - x1, y2 - y1);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface_);
  cairo_matrix_t m;
  cairo_matrix_init(&m, scaleX, 0, 0, scaleY, s->x1 - left * scaleX,
                    (bitmapHeight - s->y2) - top * scaleY);
  cairo_pattern_set_matrix(pattern, &m);
  // 1:1 and enlargement by whole factors keep every pixel crisp; other sizes are
  // resampled smoothly.
  auto wholeFactor = [](double s) { return s <= 1 && 1 / s == std::trunc(1 / s); };
  bool crisp = wholeFactor(scaleX) && wholeFactor(scaleY);
  cairo_pattern_set_filter(pattern, crisp ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_set_source(c, pattern);
  cairo_fill(c);
  cairo_pattern_destroy(pattern);
  cr.reset();
  ps->endDrawing(area);
  return true;
}

void QvpBitmap::Destroy() {
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = nullptr;
  destroyed_ = true;
}

bool QvpBitmap::isDestroyed() const { return destroyed_; }
cairo_surface_t* QvpBitmap::surface() const { return surface_; }

QvpBitmap::~QvpBitmap() {
  if (surface_) cairo_surface_destroy(surface_);
}

}  // namespace qv
