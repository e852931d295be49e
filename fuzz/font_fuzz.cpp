// Compound font names from arbitrary bytes: the parser either refuses with a reason or
// gives a size in its range and a face; a font object built from the same name must
// agree with the parser and never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/common.h"
#include "platform/draw/font.h"

extern "C" int QVFUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
  const qvfuzz::TakeDefaults defaults;
  const std::string name(reinterpret_cast<const char*>(data), size);
  std::string why;
  const auto parsed = qv::parseCompoundName(name, &why);
  if (parsed) {
    QVFUZZ_CHECK(parsed->points > 0 && parsed->points <= 1000);
    QVFUZZ_CHECK(!parsed->family.empty());
  } else {
    QVFUZZ_CHECK(!why.empty());
  }
  auto font = qv::QvpFont::New();
  const bool created = font->Create(qv::Value(name));
  QVFUZZ_CHECK(created == parsed.has_value());
  if (created) {
    QVFUZZ_CHECK(font->description() != nullptr);
    QVFUZZ_CHECK(font->pixelSize() > 0);
  }
  font->Destroy();
  return 0;
}
