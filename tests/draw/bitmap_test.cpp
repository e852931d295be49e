// Bitmaps: files of every depth we read, hostile files, the program's resource, Draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/draw/bitmap.h"
#include "platform/draw/png.h"
#include "test_device.h"

namespace qv {
namespace {

using test::argb;
using test::Canvas;
using test::ErrorRecorder;
using test::kWhite;
using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, unsigned v) {
  b.push_back(v & 0xff);
  b.push_back((v >> 8) & 0xff);
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xffff);
  put16(b, v >> 16);
}

// The test picture: pixel (x, row) counted from the top, in colours a palette can hold.
std::uint32_t patternColour(int x, int row) {
  static const std::uint32_t colours[4] = {argb(255, 0, 0), argb(0, 128, 0), argb(0, 0, 255),
                                           argb(255, 255, 255)};
  return colours[(x + 2 * row) % 4];
}

// A BMP of the test picture: `bpp` bits, rows bottom-up unless `topDown`.
Bytes makeBmp(int w, int h, int bpp, bool topDown, int paletteSize = -1) {
  int colours = bpp <= 8 ? (paletteSize >= 0 ? paletteSize : 1 << bpp) : 0;
  int stride = ((w * bpp + 31) / 32) * 4;
  std::uint32_t offset = 54 + 4 * colours;
  Bytes b{'B', 'M'};
  put32(b, offset + stride * h);
  put32(b, 0);
  put32(b, offset);
  put32(b, 40);
  put32(b, w);
  put32(b, static_cast<std::uint32_t>(topDown ? -h : h));
  put16(b, 1);
  put16(b, bpp);
  put32(b, 0);
  put32(b, stride * h);
  put32(b, 3780);
  put32(b, 3780);
  put32(b, colours);
  put32(b, 0);
  std::uint32_t palette[4] = {argb(255, 0, 0), argb(0, 128, 0), argb(0, 0, 255),
                              argb(255, 255, 255)};
  for (int i = 0; i < colours; ++i) put32(b, palette[i % 4] & 0xffffff);
  for (int r = 0; r < h; ++r) {
    int row = topDown ? r : h - 1 - r;
    Bytes line(stride, 0);
    for (int x = 0; x < w; ++x) {
      int index = (x + 2 * row) % 4;
      if (bpp == 1) index &= 1;  // two colours: red and green
      std::uint32_t c = palette[index];
      if (bpp <= 8) {
        int bit = x * bpp;
        line[bit / 8] |= static_cast<unsigned char>(index << (8 - bpp - bit % 8));
      } else {
        int at = x * (bpp / 8);
        line[at] = c & 0xff, line[at + 1] = (c >> 8) & 0xff, line[at + 2] = (c >> 16) & 0xff;
        if (bpp == 32) line[at + 3] = 0xff;
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

// The same picture with the old 12-byte header: 8 bits, palette entries of 3 bytes.
Bytes makeCoreBmp(int w, int h, int paletteSize) {
  int stride = ((w * 8 + 31) / 32) * 4;
  std::uint32_t offset = 14 + 12 + 3 * paletteSize;
  Bytes b{'B', 'M'};
  put32(b, offset + stride * h);
  put32(b, 0);
  put32(b, offset);
  put32(b, 12);
  put16(b, w);
  put16(b, h);
  put16(b, 1);
  put16(b, 8);
  std::uint32_t palette[4] = {argb(255, 0, 0), argb(0, 128, 0), argb(0, 0, 255),
                              argb(255, 255, 255)};
  for (int i = 0; i < paletteSize; ++i) {
    std::uint32_t c = palette[i % 4];
    b.push_back(c & 0xff), b.push_back((c >> 8) & 0xff), b.push_back((c >> 16) & 0xff);
  }
  for (int r = 0; r < h; ++r) {
    Bytes line(stride, 0);
    for (int x = 0; x < w; ++x) line[x] = static_cast<unsigned char>((x + 2 * (h - 1 - r)) % 4);
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

std::string writeTemp(const std::string& name, const Bytes& bytes) {
  auto path = std::filesystem::temp_directory_path() / ("qv_bitmap_" + name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

std::uint32_t bitmapPixel(const QvpBitmap& bm, int x, int rowFromTop) {
  cairo_surface_t* s = bm.surface();
  cairo_surface_flush(s);
  auto* data = cairo_image_surface_get_data(s);
  return reinterpret_cast<std::uint32_t*>(data + rowFromTop * cairo_image_surface_get_stride(s))[x];
}

TEST(Bitmap, ReadsEveryDepthBottomUpAndTopDown) {
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(bpp) + (topDown ? " bits top-down" : " bits bottom-up"));
      auto bm = QvpBitmap::New();
      bm->Create();
      std::string path = writeTemp("depth.bmp", makeBmp(7, 3, bpp, topDown));
      ASSERT_TRUE(bm->LoadFile(Value(path)));
      EXPECT_EQ(bm->xSize(), 7);
      EXPECT_EQ(bm->ySize(), 3);
      for (int row = 0; row < 3; ++row)
        for (int x = 0; x < 7; ++x) {
          std::uint32_t want = patternColour(x, row);
          if (bpp == 1) want = ((x + 2 * row) % 2) ? argb(0, 128, 0) : argb(255, 0, 0);
          ASSERT_EQ(bitmapPixel(*bm, x, row), want) << x << "," << row;
        }
    }
  }
}

TEST(Bitmap, ReadsTheOldTwelveByteHeader) {
  auto bm = QvpBitmap::New();
  ASSERT_TRUE(bm->LoadFile(Value(writeTemp("core.bmp", makeCoreBmp(5, 2, 16)))));
  EXPECT_EQ(bm->xSize(), 5);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bitmapPixel(*bm, x, row), patternColour(x, row));
}

TEST(Bitmap, PngWrittenFromAWindowReadsBack) {
  Canvas cv(12, 9, 3);
  cv.device->clear(argb(10, 20, 30));
  auto path = (std::filesystem::temp_directory_path() / "qv_bitmap_shot.png").string();
  ASSERT_TRUE(writePng(cv.device->surface(), cv.device->deviceRect(), path));
  auto bm = QvpBitmap::New();
  ASSERT_TRUE(bm->LoadFile(Value(path)));
  EXPECT_EQ(bm->xSize(), 12);
  EXPECT_EQ(bm->ySize(), 9);
  EXPECT_EQ(bitmapPixel(*bm, 11, 8), argb(10, 20, 30));
  EXPECT_FALSE(writePng(cv.device->surface(), DeviceRect{500, 500, 5, 5}, path));
  EXPECT_FALSE(writePng(cv.device->surface(), cv.device->deviceRect(), "/nonexistent/dir/x.png"));
}

// Each of these is refused: LoadFile answers false and leaves an empty bitmap whose
// Draw draws nothing and does not fail.
TEST(Bitmap, HostileFilesAreRefused) {
  Bytes good = makeBmp(16, 8, 8, false);
  auto with = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    b[at] = v & 0xff, b[at + 1] = (v >> 8) & 0xff, b[at + 2] = (v >> 16) & 0xff,
    b[at + 3] = (v >> 24) & 0xff;
    return b;
  };
  Bytes png;
  {
    Canvas cv(40, 40);
    auto path = (std::filesystem::temp_directory_path() / "qv_bitmap_src.png").string();
    writePng(cv.device->surface(), cv.device->deviceRect(), path);
    std::ifstream in(path, std::ios::binary);
    png.assign(std::istreambuf_iterator<char>(in), {});
  }
  Bytes fewColours = makeBmp(16, 8, 8, false, 3);  // the picture uses index 3
  Bytes rle = with(30, 1);
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"truncated header", Bytes(good.begin(), good.begin() + 30)},
      {"truncated pixel data", Bytes(good.begin(), good.end() - 17)},
      {"palette index beyond the palette", fewColours},
      {"index into the old header's unread palette entries", makeCoreBmp(16, 8, 6)},
      {"width x height overflowing", with(22, 0x7fffffff)},
      {"too many pixels", with(18, 100000)},
      {"zero size", with(18, 0)},
      {"zero height", with(22, 0)},
      {"negative width", with(18, 0xfffffff0)},
      {"offset past the end", with(10, 0x7ffffff0)},
      {"run-length compressed", rle},
      {"unknown header size", with(14, 77)},
      {"truncated png", Bytes(png.begin(), png.begin() + png.size() / 2)},
      {"png chunk longer than the file", [&] {
         Bytes b = png;  // the chunk after the header (at 33) claims almost 2 GB
         b[33] = 0x7f, b[34] = 0xff, b[35] = 0xff, b[36] = 0x00;
         return b;
       }()},
      {"not an image", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
      {"empty file", Bytes{}},
  };
  Canvas cv(20, 20);
  // The unharmed file loads: each case differs from it in one respect.
  ASSERT_TRUE(QvpBitmap::New()->LoadFile(Value(writeTemp("good.bmp", good))));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ErrorRecorder errors;
    auto bm = QvpBitmap::New();
    bm->Create();
    ASSERT_TRUE(bm->LoadFile(Value(writeTemp("good.bmp", good))));
    EXPECT_FALSE(bm->LoadFile(Value(writeTemp("hostile", c.bytes))));
    EXPECT_EQ(bm->xSize(), 0);
    EXPECT_EQ(bm->ySize(), 0);
    EXPECT_TRUE(bm->Draw(cv.psv, Value::array({0, 0, 20, 20}), Value::array({0, 0, 16, 8})));
    DecodedImage image;
    EXPECT_FALSE(decodeImage(c.bytes.data(), c.bytes.size(), image));
    EXPECT_TRUE(errors.errors.empty());
  }
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(cv.device->pixel(x, y), kWhite);
  auto bm = QvpBitmap::New();
  EXPECT_FALSE(bm->LoadFile(Value("/nonexistent/Files.bmp")));
  EXPECT_FALSE(bm->LoadFile(Value(12)));
  EXPECT_FALSE(bm->LoadFile(Value(std::filesystem::temp_directory_path().string())));
}

TEST(Bitmap, ResourceHundredIsAnEightBitLandscape) {
  ResourceBytes res = findBitmapResource(100);
  ASSERT_NE(res.data, nullptr);
  ASSERT_GT(res.size, 54u);
  auto u16 = [&](int at) { return res.data[at] | (res.data[at + 1] << 8); };
  auto u32 = [&](int at) { return unsigned(u16(at)) | (unsigned(u16(at + 2)) << 16); };
  EXPECT_EQ(u32(18), 200u);
  EXPECT_EQ(u32(22), 100u);
  EXPECT_EQ(u16(28), 8);
  EXPECT_EQ(u32(30), 0u);   // uncompressed
  EXPECT_EQ(u32(46), 240u);  // palette
  EXPECT_EQ(res.size, 54u + 240 * 4 + 200 * 100);

  auto bm = QvpBitmap::New();
  bm->Create();
  ASSERT_TRUE(bm->Load(Value(), Value(100)));
  EXPECT_EQ(bm->xSize(), 200);
  EXPECT_EQ(bm->ySize(), 100);
  // A picture, not a flat colour: sky at the top, green at the bottom.
  std::uint32_t sky = bitmapPixel(*bm, 20, 2), grass = bitmapPixel(*bm, 190, 97);
  EXPECT_GT(sky & 0xff, (sky >> 16) & 0xff);              // more blue than red
  EXPECT_GT((grass >> 8) & 0xff, grass & 0xff);           // more green than blue

  EXPECT_FALSE(bm->Load(Value(), Value(101)));
  EXPECT_EQ(bm->xSize(), 0);
  EXPECT_FALSE(bm->Load(Value("other.dll"), Value(100)));
  EXPECT_FALSE(bm->Load(Value(), Value(100.5)));
  EXPECT_FALSE(bm->Load(Value(), Value(1e20)));
  EXPECT_EQ(findBitmapResource(101).data, nullptr);
}

TEST(Bitmap, SampleFileIsADifferentPicture) {
  auto files = QvpBitmap::New(), resource = QvpBitmap::New();
  ASSERT_TRUE(files->LoadFile(Value(QV_SAMPLE_FILES_BMP)));
  ASSERT_TRUE(resource->Load(Value(), Value(100)));
  EXPECT_EQ(files->xSize(), 200);
  EXPECT_EQ(files->ySize(), 100);
  int differing = 0;
  for (int y = 0; y < 100; y += 7)
    for (int x = 0; x < 200; x += 7)
      differing += bitmapPixel(*files, x, y) != bitmapPixel(*resource, x, y);
  EXPECT_GT(differing, 300);
}

TEST(Bitmap, DrawCopiesOneToOneInsideTheTarget) {
  auto bm = QvpBitmap::New();
  ASSERT_TRUE(bm->Load(Value(), Value(100)));
  Canvas cv(200, 100, 4);
  ASSERT_TRUE(bm->Draw(cv.psv, Value::array({2, 2, 198, 98}), Value::array({0, 0, 196, 96})));
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      bool inside = x >= 2 && x < 198 && y >= 2 && y < 98;
      // Window (x, y) shows bitmap (x - 2, y - 2), both counted up from the bottom.
      std::uint32_t want = inside ? bitmapPixel(*bm, x - 2, 99 - (y - 2)) : kWhite;
      ASSERT_EQ(cv.device->pixel(x, y), want) << x << "," << y;
    }
  // Nothing spills into the margin around the window.
  for (int dx = 0; dx < cv.device->bufferWidth(); ++dx) ASSERT_EQ(cv.device->devicePixel(dx, 0), kWhite);
  EXPECT_EQ(cv.device->dirty(), (DeviceRect{4 + 2, 4 + 2, 196, 96}));
}

TEST(Bitmap, DrawScalesAndClips) {
  auto bm = QvpBitmap::New();
  ASSERT_TRUE(bm->LoadFile(Value(writeTemp("scale.bmp", makeBmp(4, 4, 24, false)))));
  Canvas cv(16, 16, 2);
  ErrorRecorder errors;
  // Twice the size: every source pixel becomes a 2 x 2 block.
  ASSERT_TRUE(bm->Draw(cv.psv, Value::array({0, 0, 8, 8}), Value::array({0, 0, 4, 4})));
  EXPECT_EQ(cv.device->pixel(0, 7), patternColour(0, 0));
  EXPECT_EQ(cv.device->pixel(7, 0), patternColour(3, 3));
  // Far past the window: clipped, and the margin stays clean.
  EXPECT_TRUE(bm->Draw(cv.psv, Value::array({-1e9, -1e9, 1e9, 1e9}), Value::array({0, 0, 4, 4})));
  EXPECT_TRUE(bm->Draw(cv.psv, Value::array({10, 10, 5, 5}), Value::array({0, 0, 4, 4})));
  for (int dx = 0; dx < cv.device->bufferWidth(); ++dx) EXPECT_EQ(cv.device->devicePixel(dx, 0), kWhite);
  EXPECT_TRUE(errors.errors.empty());
}

TEST(Bitmap, DrawRejectsWhatIsNotASpaceOrARectangle) {
  auto bm = QvpBitmap::New();
  bm->Load(Value(), Value(100));
  Canvas cv(10, 10);
  ErrorRecorder errors;
  EXPECT_FALSE(bm->Draw(Value(3), Value::array({0, 0, 1, 1}), Value::array({0, 0, 1, 1})));
  EXPECT_FALSE(bm->Draw(cv.psv, Value::array({0, 0, 1}), Value::array({0, 0, 1, 1})));
  EXPECT_FALSE(bm->Draw(cv.psv, Value::array({0, 0, 1, 1}), Value("all")));
  EXPECT_EQ(errors.errors.size(), 3u);
}

TEST(Bitmap, DestroyLeavesAnEmptyBitmap) {
  auto bm = QvpBitmap::New();
  bm->Load(Value(), Value(100));
  bm->Destroy();
  EXPECT_TRUE(bm->isDestroyed());
  EXPECT_EQ(bm->xSize(), 0);
  EXPECT_EQ(bm->surface(), nullptr);
  Canvas cv(10, 10);
  EXPECT_TRUE(bm->Draw(cv.psv, Value::array({0, 0, 10, 10}), Value::array({0, 0, 10, 10})));
  EXPECT_FALSE(bm->Load(Value(), Value(100)));
}

}  // namespace
}  // namespace qv
