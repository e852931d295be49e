#include "platform/draw/font.h"

#include <pango/pangocairo.h>

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/draw/draw_util.h"
#include "platform/draw/text_context.h"
#include "platform/runtime/error.h"

namespace qv {

namespace {

constexpr double kMaxPoints = 1000;
constexpr double kPixelsPerPoint = 96.0 / 72.0;

std::atomic<unsigned> fontGenerations{0};

std::string trimmed(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Removes `suffix` (" Bold", " Italic") from the end of `face`, ignoring case.
bool stripSuffix(std::string& face, std::string_view suffix) {
  if (face.size() < suffix.size()) return false;
  std::string_view tail(face.data() + face.size() - suffix.size(), suffix.size());
  if (!namesEqual(tail, suffix)) return false;
  face.erase(face.size() - suffix.size());
  face.erase(face.find_last_not_of(" \t") + 1);
  return true;
}

PangoFontDescription* describe(const FontName& name) {
  // Field by field: Pango's own parser would read words of the family ("Roman" in
  // "Times New Roman") as a style.
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, name.family.c_str());
  pango_font_description_set_weight(d, name.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, name.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(d, name.points * kPixelsPerPoint * PANGO_SCALE);
  return d;
}

}  // namespace

std::optional<FontName> parseCompoundName(const std::string& name, std::string* why) {
  auto fail = [&](std::string text) -> std::optional<FontName> {
    if (why) *why = std::move(text);
    return std::nullopt;
  };
  if (trimmed(name).empty()) return fail("the name is empty");
  std::size_t dot = name.find('.');
  if (dot == std::string::npos)
    return fail("the name has no full stop between point size and face (\"16.Arial\")");
  std::string size = trimmed(name.substr(0, dot));
  if (size.empty()) return fail("the point size before the full stop is missing");
  for (char c : size) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return fail("the point size \"" + size + "\" is not a positive whole number");
  }
  if (size.size() > 6) return fail("the point size " + size + " is larger than 1000");
  double points = std::strtod(size.c_str(), nullptr);
  if (points <= 0) return fail("the point size must be larger than 0");
  if (points > kMaxPoints) return fail("the point size " + size + " is larger than 1000");

  FontName out;
  out.points = points;
  std::string face = name.substr(dot + 1);
  face.erase(face.find_last_not_of(" \t") + 1);
  if (stripSuffix(face, " Italic")) out.italic = true;
  if (stripSuffix(face, " Bold")) out.bold = true;
  face = trimmed(face);
  if (face.empty()) return fail("the face name after the full stop is missing");
  out.family = face;
  return out;
}

std::shared_ptr<QvpFont> QvpFont::New(const Value& presSpace) {
  (void)presSpace;  // every presentation space shares one font map
  return std::make_shared<QvpFont>();
}

bool QvpFont::Create(const Value& compoundName) { return Configure(compoundName); }

bool QvpFont::Configure(const Value& compoundName) {
  std::string why;
  std::optional<FontName> parsed;
  if (!compoundName.isText()) {
    why = "the name must be a text";
  } else {
    parsed = parseCompoundName(compoundName.text(), &why);
  }
  if (!parsed) {
    std::string shown = compoundName.isText() ? "\"" + compoundName.text() + "\"" : "given";
    raiseDrawError(gen::kArgument, "QvpFont:Configure",
                   "Invalid font compound name " + shown + ": " + why,
                   Value::array({compoundName}));
    return false;
  }
  if (desc_) pango_font_description_free(desc_);
  desc_ = describe(*parsed);
  name_ = compoundName.text();
  generation_ = ++fontGenerations;
  return true;
}

void QvpFont::Destroy() {
  if (desc_) pango_font_description_free(desc_);
  desc_ = nullptr;
  generation_ = ++fontGenerations;
}

std::string QvpFont::CompoundName() const { return name_; }
const PangoFontDescription* QvpFont::description() const { return desc_; }
double QvpFont::pixelSize() const {
  return desc_ ? pango_font_description_get_size(desc_) / static_cast<double>(PANGO_SCALE) : 0;
}
unsigned QvpFont::generation() const { return generation_; }

std::string QvpFont::faceName() const {
  if (!desc_) return {};
  PangoFont* font = pango_context_load_font(textContext(), desc_);
  if (!font) return {};
  PangoFontDescription* real = pango_font_describe(font);
  std::string out = pango_font_description_get_family(real) ? pango_font_description_get_family(real) : "";
  if (pango_font_description_get_weight(real) >= PANGO_WEIGHT_BOLD) out += " Bold";
  if (pango_font_description_get_style(real) != PANGO_STYLE_NORMAL) out += " Italic";
  pango_font_description_free(real);
  g_object_unref(font);
  return out;
}

QvpFont::~QvpFont() {
  if (desc_) pango_font_description_free(desc_);
}

}  // namespace qv
