// Word wrapping as the memo-line functions see it.
//
// The text is split into paragraphs at hard line breaks ("\r\n", "\n" or "\r"); a break at
// the very end of the text starts no further line. Tabs become blanks up to the next tab
// stop. With word wrap each line takes as many whole words as fit in the width; the blanks
// where a line was wrapped are dropped, and a word longer than the width is cut at the
// width (never inside a UTF-8 sequence, when there is an earlier place to cut). Without
// word wrap lines are cut at exactly the width. Widths count bytes.
#include <string>
#include <vector>

#include "platform/runtime/internal.h"
#include "platform/runtime/runtime.h"

namespace qv {

namespace {

constexpr std::int64_t kMaxWidth = 65535;

// What a wrapping depends on. The text is referred to, not copied: the memo functions are
// asked about one text line by line, and copying it for every line would cost more than
// the wrapping.
struct WrapKey {
  const std::string* text = nullptr;
  std::size_t width = 0, tab = 0;
  bool wrap = true;
};

void wrapParagraph(const std::string& p, std::size_t width, bool wrap, std::vector<std::string>& lines) {
  std::size_t n = p.size();
  if (n == 0) {
    lines.emplace_back();
    return;
  }
  std::size_t pos = 0;
  while (pos < n) {
    if (n - pos <= width) {
      lines.push_back(p.substr(pos));
      break;
    }
    std::size_t cut = pos + width;
    if (wrap && p[cut] != ' ') {
      std::size_t blank = p.rfind(' ', cut - 1);
      if (blank != std::string::npos && blank > pos) {
        cut = blank;
      } else {
        // One word longer than the line: cut it, but not in the middle of a character.
        std::size_t c = cut;
        while (c > pos + 1 && (static_cast<unsigned char>(p[c]) & 0xC0) == 0x80) --c;
        if ((static_cast<unsigned char>(p[c]) & 0xC0) != 0x80) cut = c;
      }
    }
    lines.push_back(p.substr(pos, cut - pos));
    pos = cut;
    if (wrap)
      while (pos < n && p[pos] == ' ') ++pos;
  }
}

// Empty optional-like result when the expanded text would be unreasonably large.
bool wrapText(const WrapKey& key, std::vector<std::string>& lines) {
  lines.clear();
  const std::string& t = *key.text;
  std::size_t limit = std::max(detail::kMaxText, t.size());
  std::size_t expanded = 0;
  std::string para;
  bool endedWithBreak = false;
  for (std::size_t i = 0; i <= t.size(); ++i) {
    bool end = i == t.size();
    char c = end ? '\n' : t[i];
    if (c == '\r' || c == '\n') {
      if (end && endedWithBreak && para.empty()) break;
      if (end && t.empty()) break;
      wrapParagraph(para, key.width, key.wrap, lines);
      para.clear();
      if (!end && c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      endedWithBreak = true;
      continue;
    }
    endedWithBreak = false;
    if (c == '\t') {
      std::size_t spaces = key.tab - para.size() % key.tab;
      expanded += spaces;
      if (expanded > limit) return false;
      para.append(spaces, ' ');
    } else {
      ++expanded;
      para += c;
    }
  }
  return true;
}

// The wrapped lines of the last text asked about: the error dialog asks for every line of
// one text in turn, which would otherwise wrap it again for each line.
const std::vector<std::string>* cachedLines(const WrapKey& key) {
  struct Cache {
    std::string text;
    std::size_t width = 0, tab = 0;
    bool wrap = true, valid = false;
    std::vector<std::string> lines;
  };
  thread_local Cache cache;
  if (cache.valid && cache.width == key.width && cache.tab == key.tab && cache.wrap == key.wrap &&
      cache.text == *key.text)
    return &cache.lines;
  cache.valid = false;
  if (!wrapText(key, cache.lines)) return nullptr;
  cache.text = *key.text;
  cache.width = key.width;
  cache.tab = key.tab;
  cache.wrap = key.wrap;
  cache.valid = true;
  return &cache.lines;
}

// Checks the arguments shared by MLCOUNT and MEMOLINE; false after an argument error.
bool wrapArgs(const char* op, const Value& text, const Value& nWidth, const Value& nTab, const Value& lWrap,
              WrapKey& key, const Value& fallback, Value& result) {
  std::int64_t width = 79, tab = 4;
  const char* why = nullptr;
  if (!text.isText()) {
    why = "Argument is not a character value";
  } else if (!nWidth.isNil() && (!nWidth.isNumber() || !detail::toCount(nWidth.number(), width) || width < 1 ||
                                 width > kMaxWidth)) {
    why = "Line width is not a number from 1 to 65535";
  } else if (!nTab.isNil() && (!nTab.isNumber() || !detail::toCount(nTab.number(), tab))) {
    why = "Tab width is not a number";
  } else if (!lWrap.isNil() && !lWrap.isLogical()) {
    why = "Word wrap switch is not a logical value";
  }
  if (why) {
    result = detail::argumentError(op, {text, nWidth, nTab, lWrap}, why, fallback, fallback.isNumber());
    return false;
  }
  if (tab < 1) tab = 1;
  if (tab > width) tab = width;
  key.width = static_cast<std::size_t>(width);
  key.tab = static_cast<std::size_t>(tab);
  key.wrap = lWrap.isNil() ? true : lWrap.logical();
  key.text = &text.text();
  return true;
}

}  // namespace

Value MLCOUNT(const Value& text, const Value& nWidth, const Value& nTab, const Value& lWrap) {
  WrapKey key;
  Value result;
  if (!wrapArgs("MLCOUNT", text, nWidth, nTab, lWrap, key, Value(0), result)) return result;
  const auto* lines = cachedLines(key);
  if (!lines) return detail::argumentError("MLCOUNT", {text, nWidth}, "Text too long to wrap", Value(0), true);
  return Value(lines->size());
}

Value MEMOLINE(const Value& text, const Value& nWidth, const Value& nLine, const Value& nTab, const Value& lWrap) {
  WrapKey key;
  Value result;
  if (!wrapArgs("MEMOLINE", text, nWidth, nTab, lWrap, key, Value(""), result)) return result;
  std::int64_t line = 1;
  if (!nLine.isNil() && (!nLine.isNumber() || !detail::toCount(nLine.number(), line)))
    return detail::argumentError("MEMOLINE", {text, nWidth, nLine}, "Line number is not a number", Value(""));
  const auto* lines = cachedLines(key);
  if (!lines) return detail::argumentError("MEMOLINE", {text, nWidth}, "Text too long to wrap", Value(""));
  if (line < 1 || static_cast<std::uint64_t>(line) > lines->size()) return Value("");
  // Lines come padded with blanks to the width, as memo lines always were.
  std::string s = (*lines)[static_cast<std::size_t>(line - 1)];
  s.resize(key.width, ' ');
  return Value(std::move(s));
}

}  // namespace qv
