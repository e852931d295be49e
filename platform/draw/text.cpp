// Text: GRASTRINGAT and GRAQUERYTEXTBOX, with a cache of laid-out texts.
#include <pango/pangocairo.h>

#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/draw/draw_util.h"
#include "platform/draw/font.h"
#include "platform/draw/gra.h"
#include "platform/draw/text_context.h"

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps its caches as offsets rather than pointers, so LeakSanitizer cannot
// see that they are still referenced and reports them at exit. Every program that
// measures or draws text links this file.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace qv {

PangoContext* textContext() {
  static PangoContext* context = [] {
    PangoFontMap* map = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96);
    PangoContext* ctx = pango_font_map_create_context(map);
    g_object_unref(map);  // the context keeps it
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(ctx, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(ctx, FALSE);
    return ctx;
  }();
  return context;
}

const PangoFontDescription* defaultFontDescription() {
  static PangoFontDescription* d = [] {
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, "Arial");
    pango_font_description_set_weight(desc, PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc, 8 * 96.0 / 72.0 * PANGO_SCALE);
    return desc;
  }();
  return d;
}

namespace {

// One laid-out text: its first (only) line and the measures the box is made of, in
// pixels relative to the start of the baseline, y growing downwards as Pango has it.
struct Laid {
  PangoLayout* layout = nullptr;
  PangoLayoutLine* line = nullptr;
  double ascent = 0, descent = 0, advance = 0;
  double inkX = 0, inkY = 0, inkW = 0, inkH = 0;
  ~Laid() {
    if (layout) g_object_unref(layout);
  }
};

// Captions are few and drawn again and again: keep their layouts. The cache is keyed by
// the font's generation (unique per font configuration) and the text, and is simply
// emptied when it grows large.
constexpr std::size_t kMaxCachedLayouts = 512;
std::unordered_map<std::string, std::unique_ptr<Laid>>& layoutCache() {
  static std::unordered_map<std::string, std::unique_ptr<Laid>> cache;
  return cache;
}

const Laid& layoutFor(const QvpPresSpace& ps, const std::string& text) {
  QvpFontPtr font = ps.currentFont();
  const PangoFontDescription* desc = font ? font->description() : nullptr;
  unsigned generation = desc ? font->generation() : 0;
  if (!desc) desc = defaultFontDescription();

  std::string key = std::to_string(generation);
  key += '\x1f';
  key += text;
  auto& cache = layoutCache();
  if (auto it = cache.find(key); it != cache.end()) return *it->second;
  if (cache.size() >= kMaxCachedLayouts) cache.clear();

  auto laid = std::make_unique<Laid>();
  laid->layout = pango_layout_new(textContext());
  pango_layout_set_font_description(laid->layout, desc);
  // A caption is one line: a line break in it is shown, not obeyed.
  pango_layout_set_single_paragraph_mode(laid->layout, TRUE);
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(laid->layout, valid, -1);
  g_free(valid);
  laid->line = pango_layout_get_line_readonly(laid->layout, 0);
  PangoRectangle ink{}, logical{};
  pango_layout_line_get_extents(laid->line, &ink, &logical);
  double s = PANGO_SCALE;
  laid->ascent = -logical.y / s;
  laid->descent = (logical.y + logical.height) / s;
  laid->advance = (logical.x + logical.width) / s;
  laid->inkX = ink.x / s, laid->inkY = ink.y / s, laid->inkW = ink.width / s,
  laid->inkH = ink.height / s;
  return *cache.emplace(std::move(key), std::move(laid)).first->second;
}

struct Turn {
  double c = 1, s = 0;
  Point apply(double x, double y) const { return {x * c - y * s, x * s + y * c}; }
};

Turn turnOf(Point baseline) {
  double len = std::hypot(baseline.x, baseline.y);
  if (!(len > 0) || !std::isfinite(len)) return {};
  return {baseline.x / len, baseline.y / len};
}

}  // namespace

std::array<Point, 5> GRAQUERYTEXTBOX(const Value& psValue, const std::string& text) {
  std::array<Point, 5> box{};
  auto ps = requirePresSpace(psValue, "GRAQUERYTEXTBOX");
  if (!ps) return box;
  const Laid& t = layoutFor(*ps, text);
  Turn turn = turnOf(ps->baseline());
  box[0] = turn.apply(0, t.ascent);
  box[1] = turn.apply(0, -t.descent);
  box[2] = turn.apply(t.advance, t.ascent);
  box[3] = turn.apply(t.advance, -t.descent);
  box[4] = turn.apply(t.advance, 0);
  return box;
}

bool GRASTRINGAT(const Value& psValue, Point pos, const std::string& text) {
  auto ps = requirePresSpace(psValue, "GRASTRINGAT");
  if (!ps) return false;
  if (!std::isfinite(pos.x) || !std::isfinite(pos.y)) {
    raiseDrawError(gen::kArgument, "GRASTRINGAT", "The position must be finite numbers");
    return false;
  }
  Point baseline = ps->baseline();
  double colour = ps->stringColour();
  if (ps->tracing()) {
    std::string shown;
    for (char ch : text) {
      if (ch == '"' || ch == '\\') shown += '\\';
      shown += ch;
    }
    ps->traceLine("string " + tracePoint(pos) + " \"" + shown + "\" " + traceNumber(colour) +
                  " " + tracePoint(baseline));
  }
  auto cr = ps->beginDrawing();
  if (!cr) return true;  // nothing to draw on: not an error
  const Laid& t = layoutFor(*ps, text);
  Turn turn = turnOf(baseline);

  // Changed pixels: the ink and the logical box, turned, around the start.
  double x1 = std::min(t.inkX, 0.0), x2 = std::max(t.inkX + t.inkW, t.advance);
  double up = std::max(-t.inkY, t.ascent), down = std::max(t.inkY + t.inkH, t.descent);
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (Point corner : {turn.apply(x1, up), turn.apply(x1, -down), turn.apply(x2, up),
                       turn.apply(x2, -down)}) {
    minX = std::min(minX, pos.x + corner.x), maxX = std::max(maxX, pos.x + corner.x);
    minY = std::min(minY, pos.y + corner.y), maxY = std::max(maxY, pos.y + corner.y);
  }
  DeviceRect dirty = deviceExtents(cr.get(), minX, minY, maxX, maxY);
  // Text wholly outside the window is not handed to Cairo: far-off positions would
  // overflow its fixed-point coordinates.
  if (intersect(dirty, ps->device()->deviceRect()).empty()) return true;

  double dx = pos.x, dy = pos.y;
  cairo_user_to_device(cr.get(), &dx, &dy);
  cairo_identity_matrix(cr.get());
  cairo_translate(cr.get(), dx, dy);
  // Device y grows downwards: a counter-clockwise turn in the window is a negative one.
  cairo_rotate(cr.get(), -std::atan2(turn.s, turn.c));
  setSourceColour(cr.get(), colour, ps->backdrop());
  cairo_move_to(cr.get(), 0, 0);
  pango_cairo_show_layout_line(cr.get(), t.line);
  cr.reset();
  ps->endDrawing(dirty);
  return true;
}

}  // namespace qv
