// Scripts from arbitrary bytes: a script is read whole or refused at one line, never
// half-read, and every command read carries values within its range.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/common.h"
#include "shell/Script.h"

extern "C" int QVFUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qv::ScriptParse parsed = qv::parseScript(text);
  if (parsed.errorLine) {
    QVFUZZ_CHECK(parsed.errorLine > 0);
    QVFUZZ_CHECK(parsed.commands.empty());
    QVFUZZ_CHECK(!parsed.error.empty());
    return 0;
  }
  int lastLine = 0;
  for (const auto& c : parsed.commands) {
    QVFUZZ_CHECK(c.line > lastLine);
    lastLine = c.line;
    QVFUZZ_CHECK(c.x >= -100000 && c.x <= 100000 && c.y >= -100000 && c.y <= 100000);
    if (c.kind == qv::ScriptCommand::Kind::Answer) QVFUZZ_CHECK(c.code >= 0 && c.code <= 7);
    if (c.kind == qv::ScriptCommand::Kind::Shot) QVFUZZ_CHECK(!c.file.empty());
  }
  return 0;
}
