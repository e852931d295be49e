// Image files built to exhaust memory or to be read past their end are refused before the
// decoder sees them; sound files of the same kinds still decode.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/draw/bitmap.h"

namespace qv {
namespace {

std::vector<unsigned char> readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::filesystem::path kFuzz = QV_FUZZ_DIR;

TEST(HostileImage, PngWhoseChunkClaimsMoreThanTheFileIsRefused) {
  // 130 bytes whose second IDAT claims 2 GB: the decoder used to allocate that much.
  const auto bytes = readFile(kFuzz / "regressions/image/png-huge-idat-chunk.png");
  ASSERT_FALSE(bytes.empty());
  DecodedImage image;
  EXPECT_FALSE(decodeImage(bytes.data(), bytes.size(), image));
  EXPECT_EQ(image.width, 0);
}

TEST(HostileImage, PngCutShortOrWithoutHeaderFirstIsRefusedAndASoundOneDecodes) {
  const auto good = readFile(kFuzz / "corpus/image/rgba-2x2.png");
  ASSERT_GT(good.size(), 40u);
  DecodedImage image;
  ASSERT_TRUE(decodeImage(good.data(), good.size(), image));
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.argb[0], 0xffff0000u) << "opaque red at the top left";

  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
  };
  std::vector<unsigned char> noEnd(good.begin(), good.end() - 12);  // IEND dropped
  std::vector<unsigned char> cut(good.begin(), good.begin() + 40);  // inside IDAT
  std::vector<unsigned char> swapped = good;                         // IHDR renamed
  swapped[12] = 'X';
  // An empty IDAT made the decoder copy into a null pointer (found by fuzzing).
  const auto emptyIdat = readFile(kFuzz / "regressions/image/png-empty-idat.png");
  const Case cases[] = {{"no IEND", noEnd},
                        {"cut inside a chunk", cut},
                        {"no IHDR first", swapped},
                        {"an empty IDAT", emptyIdat}};
  for (const auto& c : cases) {
    DecodedImage out;
    EXPECT_FALSE(decodeImage(c.bytes.data(), c.bytes.size(), out)) << c.what;
  }
}

}  // namespace
}  // namespace qv
