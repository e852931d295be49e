// The gallery's costs as a user feels them, on the headless backend: a full repaint, the
// hover transition of each kind of active control, a motion event that must change
// nothing, the colour step, and the same full frame drawn with direct Cairo and Pango
// calls (no platform layer) as the yardstick for the repaint.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/gallery_fixture.h"
#include "platform/draw/font.h"

namespace {

using qvbench::Gallery;

Gallery& gallery() {
  static Gallery g(QV_SAMPLE_DIR);
  return g;
}

// The pointer rests on a spot of the drawing area that no control covers, every control
// in its normal look and the queue empty.
void rest(Gallery& g) {
  g.moveTo(Gallery::kEmptyX, Gallery::kEmptyY);
  g.settle();
}

void BM_FullRepaint(benchmark::State& state) {
  Gallery& g = gallery();
  rest(g);
  for (auto _ : state) {
    g.oDa->InvalidateRect();
    g.settle();
  }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// Enter to repainted: the motion that brings the control into its hover look, dispatched
// with the repaints it queues. Leaving again is not timed.
template <class T>
void hoverTransition(benchmark::State& state, const char* caption) {
  Gallery& g = gallery();
  rest(g);
  auto c = g.control<T>(caption);
  if (!c) {
    state.SkipWithError("control not found");
    return;
  }
  const auto [x, y] = Gallery::centre(*c);
  for (auto _ : state) {
    g.moveTo(x, y);
    g.settle();
    state.PauseTiming();
    if (!c->IsShadow) state.SkipWithError("no hover look");
    g.moveTo(Gallery::kEmptyX, Gallery::kEmptyY);
    g.settle();
    state.ResumeTiming();
  }
}
void BM_HoverShadowButton(benchmark::State& s) { hoverTransition<qv::ShadowButton>(s, "Color"); }
void BM_HoverGraphicButton(benchmark::State& s) { hoverTransition<qv::GraphicButton>(s, "From Resource"); }
void BM_HoverActiveText(benchmark::State& s) { hoverTransition<qv::ActiveText>(s, "Active Text"); }
BENCHMARK(BM_HoverShadowButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverGraphicButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverActiveText)->Unit(benchmark::kMicrosecond);

// A motion inside a control that already shows its hover look, through the event query
// and handleEvent: the path that must do nothing.
void BM_MotionInsideHover(benchmark::State& state) {
  Gallery& g = gallery();
  rest(g);
  auto c = g.control<qv::ShadowButton>("Color");
  const auto [x, y] = Gallery::centre(*c);
  g.moveTo(x, y);
  g.settle();
  qv::Value mp1, mp2;
  qv::ObjectPtr target;
  int dx = 0;
  for (auto _ : state) {
    dx ^= 1;  // a real move, one pixel to and fro
    g.moveTo(x + dx, y);
    const int code = qv::APPEVENT(mp1, mp2, target);
    static_cast<qv::Window*>(target.get())->handleEvent(code, mp1, mp2);
  }
  if (!c->IsShadow || qv::eventsPending()) state.SkipWithError("the motion changed something");
  rest(g);
}
BENCHMARK(BM_MotionInsideHover);

// A click on the "Color" button to the repainted gallery: the next background, the colour
// caption turned and relabelled, the button back in its released look.
void BM_ColourStep(benchmark::State& state) {
  Gallery& g = gallery();
  rest(g);
  auto c = g.control<qv::ShadowButton>("Color");
  const auto [x, y] = Gallery::centre(*c);
  g.moveTo(x, y);
  g.settle();
  for (auto _ : state) {
    g.backend.buttonDown(*g.state.oDlg, x, y);
    g.backend.buttonUp(*g.state.oDlg, x, y);
    g.settle();
  }
  rest(g);
}
BENCHMARK(BM_ColourStep)->Unit(benchmark::kMicrosecond);

// ---- the yardstick: the same frame with Cairo and Pango alone ---------------------------

// One primitive of the frame in device pixels, taken from the controls' own trace so that
// both sides draw the same thing.
struct Op {
  enum Kind { Fill, Line, Arc, Box, Text, Bitmap } kind;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0, a1 = 0, a2 = 0;
  double rgb[3] = {0, 0, 0}, fill[3] = {0, 0, 0};
  int style = 0;
  PangoLayoutLine* line = nullptr;
  cairo_surface_t* image = nullptr;
  double sx = 1, sy = 1;
};

void toRgb(double packed, double out[3]) {
  // Packed colours carry a 2^24 marker; platform colour codes are drawn black here.
  if (packed < 16777216) {
    out[0] = out[1] = out[2] = 0;
    return;
  }
  const auto v = static_cast<long long>(packed) - 16777216;
  out[0] = (v & 0xff) / 255.0, out[1] = ((v >> 8) & 0xff) / 255.0, out[2] = ((v >> 16) & 0xff) / 255.0;
}

class DirectFrame {
 public:
  explicit DirectFrame(Gallery& g) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    PangoFontMap* map = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96);
    context_ = pango_font_map_create_context(map);
    g_object_unref(map);
    Op bg{Op::Fill};
    bg.x1 = 0, bg.y1 = 0, bg.x2 = 800, bg.y2 = 600;
    toRgb(g.oDa->SetColorBG(), bg.fill);
    ops_.push_back(bg);
    for (auto& w : g.oDa->ChildList()) record(g, std::static_pointer_cast<qv::ShadowText>(w));
  }
  ~DirectFrame() {
    for (PangoLayout* l : layouts_) g_object_unref(l);
    g_object_unref(context_);
    cairo_surface_destroy(surface_);
  }
  std::size_t size() const { return ops_.size(); }

  void draw() {
    cairo_t* cr = cairo_create(surface_);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    for (const Op& op : ops_) {
      switch (op.kind) {
        case Op::Fill:
          cairo_set_source_rgb(cr, op.fill[0], op.fill[1], op.fill[2]);
          cairo_rectangle(cr, op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1);
          cairo_fill(cr);
          break;
        case Op::Line:
          cairo_set_source_rgb(cr, op.rgb[0], op.rgb[1], op.rgb[2]);
          cairo_move_to(cr, op.x1, op.y1);
          cairo_line_to(cr, op.x2, op.y2);
          cairo_stroke(cr);
          break;
        case Op::Arc:
          cairo_set_source_rgb(cr, op.rgb[0], op.rgb[1], op.rgb[2]);
          cairo_new_sub_path(cr);
          cairo_arc_negative(cr, op.x1, op.y1, op.r, -op.a1, -op.a2);
          cairo_stroke(cr);
          break;
        case Op::Box: {
          const double w = op.x2 - op.x1, h = op.y2 - op.y1, r = op.r;
          cairo_new_path(cr);
          if (r > 0) {
            cairo_arc(cr, op.x1 + r, op.y1 + r, r, G_PI, 1.5 * G_PI);
            cairo_arc(cr, op.x2 - r, op.y1 + r, r, 1.5 * G_PI, 2 * G_PI);
            cairo_arc(cr, op.x2 - r, op.y2 - r, r, 0, 0.5 * G_PI);
            cairo_arc(cr, op.x1 + r, op.y2 - r, r, 0.5 * G_PI, G_PI);
            cairo_close_path(cr);
          } else {
            cairo_rectangle(cr, op.x1, op.y1, w, h);
          }
          if (op.style & 2) {
            cairo_set_source_rgb(cr, op.fill[0], op.fill[1], op.fill[2]);
            cairo_fill_preserve(cr);
          }
          if (op.style & 1) {
            cairo_set_source_rgb(cr, op.rgb[0], op.rgb[1], op.rgb[2]);
            cairo_stroke_preserve(cr);
          }
          cairo_new_path(cr);
          break;
        }
        case Op::Text:
          cairo_save(cr);
          cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
          cairo_translate(cr, op.x1, op.y1);
          cairo_rotate(cr, -op.a1);
          cairo_set_source_rgb(cr, op.rgb[0], op.rgb[1], op.rgb[2]);
          cairo_move_to(cr, 0, 0);
          pango_cairo_show_layout_line(cr, op.line);
          cairo_restore(cr);
          break;
        case Op::Bitmap:
          cairo_save(cr);
          cairo_rectangle(cr, op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1);
          cairo_clip(cr);
          cairo_translate(cr, op.x1, op.y1);
          cairo_scale(cr, op.sx, op.sy);
          cairo_set_source_surface(cr, op.image, 0, 0);
          cairo_paint(cr);
          cairo_restore(cr);
          break;
      }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
  }

 private:
  // Replays one repaint of the control with its trace on, and turns each primitive into
  // device pixels of the dialog.
  void record(Gallery& g, const std::shared_ptr<qv::ShadowText>& c) {
    if (!c || !c->oPS) return;
    c->oPS->startTrace();
    c->repaintNow();
    const auto lines = c->oPS->stopTrace();
    g.settle();
    const qv::DeviceRect d = c->deviceRect();
    auto dx = [&](double x) { return d.x + x + 0.5; };
    auto dy = [&](double y) { return d.y + d.h - 1 - y + 0.5; };
    PangoLayout* layout = nullptr;
    for (const std::string& l : lines) {
      Op op{Op::Fill};
      double a, b, e, f, col, area, hr, vr;
      int style;
      char text[256];
      if (std::sscanf(l.c_str(), "line {%lf,%lf} {%lf,%lf} %lf", &a, &b, &e, &f, &col) == 5) {
        op.kind = Op::Line, op.x1 = dx(a), op.y1 = dy(b), op.x2 = dx(e), op.y2 = dy(f);
        toRgb(col, op.rgb);
      } else if (std::sscanf(l.c_str(), "arc {%lf,%lf} %lf %lf %lf %lf", &a, &b, &op.r, &e, &f, &col) == 6) {
        op.kind = Op::Arc, op.x1 = dx(a), op.y1 = dy(b), op.a1 = e * G_PI / 180, op.a2 = (e + f) * G_PI / 180;
        toRgb(col, op.rgb);
      } else if (std::sscanf(l.c_str(), "box {%lf,%lf} {%lf,%lf} %d %lf %lf %lf %lf", &a, &b, &e, &f, &style, &hr,
                             &vr, &col, &area) == 9) {
        op.kind = Op::Box, op.style = style, op.r = hr;
        op.x1 = dx(std::min(a, e)), op.x2 = dx(std::max(a, e)), op.y1 = dy(std::max(b, f)), op.y2 = dy(std::min(b, f));
        toRgb(col, op.rgb);
        toRgb(area, op.fill);
      } else if (std::sscanf(l.c_str(), "string {%lf,%lf} \"%255[^\"]\" %lf {%lf,%lf}", &a, &b, text, &col, &e, &f) == 6) {
        op.kind = Op::Text, op.x1 = dx(a), op.y1 = dy(b), op.a1 = std::atan2(f, e);
        toRgb(col, op.rgb);
        layout = pango_layout_new(context_);
        pango_layout_set_font_description(layout, c->oFont->description());
        pango_layout_set_text(layout, text, -1);
        layouts_.push_back(layout);
        op.line = pango_layout_get_line_readonly(layout, 0);
      } else if (std::sscanf(l.c_str(), "bitmap {%lf,%lf,%lf,%lf}", &a, &b, &e, &f) == 4) {
        auto gb = std::dynamic_pointer_cast<qv::GraphicButton>(c);
        if (!gb || !gb->oGraph || !gb->oGraph->surface()) continue;
        op.kind = Op::Bitmap, op.image = gb->oGraph->surface();
        op.x1 = d.x + a, op.x2 = d.x + e, op.y1 = d.y + d.h - f, op.y2 = d.y + d.h - b;
        op.sx = (e - a) / cairo_image_surface_get_width(op.image);
        op.sy = (f - b) / cairo_image_surface_get_height(op.image);
      } else {
        continue;
      }
      ops_.push_back(op);
    }
  }

  cairo_surface_t* surface_ = nullptr;
  PangoContext* context_ = nullptr;
  std::vector<PangoLayout*> layouts_;
  std::vector<Op> ops_;
};

void BM_DirectCairoFrame(benchmark::State& state) {
  Gallery& g = gallery();
  rest(g);
  DirectFrame frame(g);
  state.counters["primitives"] = static_cast<double>(frame.size());
  for (auto _ : state) frame.draw();
}
BENCHMARK(BM_DirectCairoFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
