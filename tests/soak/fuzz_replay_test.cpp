// Every seed and every input the fuzzers ever found a fault with, run through the fuzz
// targets' own checks (a broken check aborts the test).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int qvfuzz_image(const std::uint8_t*, std::size_t);
extern "C" int qvfuzz_font(const std::uint8_t*, std::size_t);
extern "C" int qvfuzz_script(const std::uint8_t*, std::size_t);
extern "C" int qvfuzz_text(const std::uint8_t*, std::size_t);

namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  int (*entry)(const std::uint8_t*, std::size_t);
};

class FuzzReplay : public testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsAndFindingsPassTheChecks) {
  int replayed = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(QV_FUZZ_DIR) / kind / GetParam().name;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      SCOPED_TRACE(entry.path().string());
      GetParam().entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0) << "no seeds for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         testing::Values(Target{"image", qvfuzz_image}, Target{"font", qvfuzz_font},
                                         Target{"script", qvfuzz_script}, Target{"text", qvfuzz_text}),
                         [](const testing::TestParamInfo<Target>& i) { return std::string(i.param.name); });

}  // namespace
