#include "platform/gui/boxes.h"

// Before Pango: GLib defines MAX and MIN as macros, which would mangle the runtime's own.
#include "platform/runtime/runtime.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <optional>

#include "platform/draw/text_context.h"
#include "platform/gui/app.h"
#include "platform/gui/detail.h"

namespace qv {

namespace {

struct BoxState {
  BoxResponder responder;
  std::vector<BoxRecord> shown;
  std::function<void(const BoxRecord&)> observer;
  std::optional<std::string> defaultTitle;
  std::istream* in = nullptr;
  std::ostream* out = nullptr;
};

BoxState& boxes() {
  static BoxState* s = new BoxState;
  return *s;
}

struct Button {
  std::string label;
  int result = 0;
};

struct BoxSpec {
  std::string kind;
  std::string title;
  std::string text;
  std::vector<Button> buttons;
  int defaultIndex = 0;
  // The answer for Escape and the close button; none where the set has no way out.
  std::optional<int> escapeResult;
  int icon = 0;
  WindowPtr owner;
};

std::string textOf(const Value& v) {
  if (v.isText()) return v.text();
  if (v.isNil()) return "";
  return VAR2CHAR(v);
}

// ";" and carriage returns (with or without a line feed) and line feeds break lines.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ';' || c == '\n') {
      lines.emplace_back();
    } else if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// ---- the box window --------------------------------------------------------------------

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kIconGap = 14;
constexpr int kButtonH = 26;
constexpr int kButtonMinW = 80;
constexpr int kButtonGap = 8;
constexpr int kFontPx = 13;  // 10 points at 96 pixels per inch

PangoFontDescription* boxFont(bool bold = false) {
  PangoFontDescription* d = pango_font_description_from_string("Liberation Sans, Sans");
  pango_font_description_set_absolute_size(d, kFontPx * PANGO_SCALE);
  if (bold) pango_font_description_set_weight(d, PANGO_WEIGHT_BOLD);
  return d;
}

// Layouts come from the program's one text context, so that boxes measure text as
// everything else does.
PangoLayout* makeLayout(const std::string& text, int wrapWidth, bool bold = false) {
  PangoLayout* layout = pango_layout_new(textContext());
  PangoFontDescription* d = boxFont(bold);
  pango_layout_set_font_description(layout, d);
  pango_font_description_free(d);
  if (wrapWidth > 0) {
    pango_layout_set_width(layout, wrapWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  return layout;
}

class BoxWindow : public Window {
  QV_CLASS(BoxWindow, Window)
 public:
  BoxSpec request;
  std::vector<std::string> lines;
  int focus = 0;
  int pressed = -1;
  bool done = false;
  int result = 0;

  // Measures the contents and opens the native window, centred on `centre` (y up).
  void open(Point centre, Size screen) {
    lines = splitLines(request.text);
    int wrap = std::max(200, static_cast<int>(screen.w * 0.8) - 2 * kMargin - kIconSize);
    int textW = 0, textH = 0;
    for (auto& line : lines) {
      PangoLayout* l = makeLayout(line.empty() ? " " : line, wrap);
      int w, h;
      pango_layout_get_pixel_size(l, &w, &h);
      textW = std::max(textW, w);
      textH += h;
      g_object_unref(l);
    }
    buttonW_ = kButtonMinW;
    for (auto& b : request.buttons) {
      PangoLayout* l = makeLayout(b.label, 0);
      int w, h;
      pango_layout_get_pixel_size(l, &w, &h);
      buttonW_ = std::max(buttonW_, w + 24);
      g_object_unref(l);
    }
    int n = static_cast<int>(request.buttons.size());
    int buttonsW = n * buttonW_ + (n - 1) * kButtonGap;
    int iconW = request.icon ? kIconSize + kIconGap : 0;
    int width = std::max({2 * kMargin + iconW + textW, 2 * kMargin + buttonsW, 240});
    int bodyH = std::max(textH, request.icon ? kIconSize : 0);
    int height = kMargin + bodyH + 20 + kButtonH + kMargin;
    textH_ = textH;
    bodyH_ = bodyH;

    auto& impl = WindowAccess::of(*this);
    impl.size = Size{double(width), double(height)};
    impl.pos = Point{std::max(0.0, std::round(centre.x - width / 2.0)),
                     std::max(0.0, std::round(centre.y - height / 2.0))};
    impl.topLevel = true;
    impl.created = true;
    impl.shown = true;
    WindowPtr self = std::static_pointer_cast<Window>(weak_from_this().lock());
    gui_detail::registerTopLevel(self);
    gui_detail::openNative(*this, request.title, impl.pos);
    backend().showWindow(*this, true);
    postPaint(self);
  }

  void Paint() override {
    cairo_surface_t* s = backBufferOf(*this);
    if (!s) return;
    int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 240 / 255.0, 240 / 255.0, 240 / 255.0);
    cairo_paint(cr);

    int textX = kMargin;
    if (request.icon) {
      paintIcon(cr, kMargin, kMargin);
      textX += kIconSize + kIconGap;
    }
    int y = kMargin + std::max(0, (bodyH_ - textH_) / 2);
    cairo_set_source_rgb(cr, 0, 0, 0);
    int wrap = std::max(200, width - textX - kMargin);
    for (auto& line : lines) {
      PangoLayout* l = makeLayout(line.empty() ? " " : line, wrap);
      int w, h;
      pango_layout_get_pixel_size(l, &w, &h);
      cairo_move_to(cr, textX, y);
      pango_cairo_show_layout(cr, l);
      g_object_unref(l);
      y += h;
    }

    for (int i = 0; i < static_cast<int>(request.buttons.size()); ++i) paintButton(cr, i);
    cairo_destroy(cr);
    gui_detail::markDirty(*this, DeviceRect{0, 0, width, height});
  }

  // Button i's rectangle in device pixels.
  DeviceRect buttonRect(int i) const {
    auto& impl = WindowAccess::of(const_cast<BoxWindow&>(*this));
    int width = static_cast<int>(impl.size.w), height = static_cast<int>(impl.size.h);
    int n = static_cast<int>(request.buttons.size());
    int total = n * buttonW_ + (n - 1) * kButtonGap;
    int x0 = (width - total) / 2;
    return DeviceRect{x0 + i * (buttonW_ + kButtonGap), height - kMargin - kButtonH, buttonW_,
                      kButtonH};
  }

  int buttonAt(int col, int row) const {
    for (int i = 0; i < static_cast<int>(request.buttons.size()); ++i) {
      DeviceRect r = buttonRect(i);
      if (col >= r.x && col < r.x + r.w && row >= r.y && row < r.y + r.h) return i;
    }
    return -1;
  }

  void finish(int code) {
    done = true;
    result = code;
  }

  void handleEvent(int nEvent, const Value& mp1, const Value& mp2) override {
    if (done) return;
    int n = static_cast<int>(request.buttons.size());
    switch (nEvent) {
      case event::kKeyboard: {
        int k = static_cast<int>(mp1.number());
        if (k == key::kEnter) {
          finish(request.buttons[focus].result);
        } else if (k == key::kEscape) {
          if (request.escapeResult) finish(*request.escapeResult);
        } else if (k == key::kTab || k == key::kRight || k == key::kDown) {
          focus = (focus + 1) % n;
          Paint();
        } else if (k == key::kLeft || k == key::kUp) {
          focus = (focus + n - 1) % n;
          Paint();
        }
        return;
      }
      case event::kLbDown:
      case event::kLbUp: {
        // mp1 is y-up in the box's own coordinates; buttons are laid out in device pixels.
        int col = static_cast<int>(mp1.element(1).number());
        int row = static_cast<int>(WindowAccess::of(*this).size.h) - 1 -
                  static_cast<int>(mp1.element(2).number());
        int hit = buttonAt(col, row);
        if (nEvent == event::kLbDown) {
          pressed = hit;
          if (hit >= 0) focus = hit;
          Paint();
        } else {
          int was = pressed;
          pressed = -1;
          if (hit >= 0 && hit == was) {
            finish(request.buttons[hit].result);
          } else {
            Paint();
          }
        }
        return;
      }
      case event::kClose:
        if (request.escapeResult) finish(*request.escapeResult);
        return;
      default: Window::handleEvent(nEvent, mp1, mp2);
    }
  }

 private:
  void paintIcon(cairo_t* cr, int x, int y) {
    double cx = x + kIconSize / 2.0, cy = y + kIconSize / 2.0, r = kIconSize / 2.0;
    auto glyph = [&](const char* text, double rr, double gg, double bb) {
      PangoLayout* l = pango_layout_new(textContext());
      PangoFontDescription* d = boxFont(true);
      pango_font_description_set_absolute_size(d, 22 * PANGO_SCALE);
      pango_layout_set_font_description(l, d);
      pango_font_description_free(d);
      pango_layout_set_text(l, text, -1);
      int w, h;
      pango_layout_get_pixel_size(l, &w, &h);
      cairo_set_source_rgb(cr, rr, gg, bb);
      cairo_move_to(cr, cx - w / 2.0, cy - h / 2.0 + 1);
      pango_cairo_show_layout(cr, l);
      g_object_unref(l);
    };
    switch (request.icon) {
      case box::kIconStop:
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0.8, 0, 0);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 3.5);
        cairo_move_to(cr, cx - 7, cy - 7);
        cairo_line_to(cr, cx + 7, cy + 7);
        cairo_move_to(cr, cx + 7, cy - 7);
        cairo_line_to(cr, cx - 7, cy + 7);
        cairo_stroke(cr);
        break;
      case box::kIconExclamation:
        cairo_move_to(cr, cx, y + 1);
        cairo_line_to(cr, x + kIconSize - 1, y + kIconSize - 1);
        cairo_line_to(cr, x + 1, y + kIconSize - 1);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 0.8, 0);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.35, 0.25, 0);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cy += 4;
        glyph("!", 0, 0, 0);
        break;
      case box::kIconInformation:
      case box::kIconQuestion:
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0, 0.35, 0.8);
        cairo_fill(cr);
        glyph(request.icon == box::kIconInformation ? "i" : "?", 1, 1, 1);
        break;
      default: break;
    }
  }

  void paintButton(cairo_t* cr, int i) {
    DeviceRect r = buttonRect(i);
    double shade = i == pressed ? 200 / 255.0 : 225 / 255.0;
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_set_source_rgb(cr, shade, shade, shade);
    cairo_fill(cr);
    if (i == focus) {
      cairo_set_source_rgb(cr, 0, 0.35, 0.8);
      cairo_set_line_width(cr, 2);
      cairo_rectangle(cr, r.x + 1, r.y + 1, r.w - 2, r.h - 2);
    } else {
      cairo_set_source_rgb(cr, 0.47, 0.47, 0.47);
      cairo_set_line_width(cr, 1);
      cairo_rectangle(cr, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1);
    }
    cairo_stroke(cr);
    PangoLayout* l = makeLayout(request.buttons[i].label, 0);
    int w, h;
    pango_layout_get_pixel_size(l, &w, &h);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, r.x + (r.w - w) / 2.0, r.y + (r.h - h) / 2.0);
    pango_cairo_show_layout(cr, l);
    g_object_unref(l);
  }

  int buttonW_ = kButtonMinW;
  int textH_ = 0;
  int bodyH_ = 0;
};

// Where a box goes: centred on its owner's top-level window, else on the window that has
// the focus, else on the screen.
Point boxCentre(const WindowPtr& owner, Size screen) {
  WindowPtr anchor = owner;
  if (!anchor) anchor = std::dynamic_pointer_cast<Window>(focusedWindow());
  if (anchor && anchor->isCreated()) {
    Window* top = anchor->topLevel();
    if (gui_detail::findTopLevel(top)) {
      Point p = top->CurrentPos();
      Size s = top->CurrentSize();
      return Point{p.x + s.w / 2, p.y + s.h / 2};
    }
  }
  return Point{screen.w / 2, screen.h / 2};
}

void record(BoxRecord rec) {
  BoxState& s = boxes();
  s.shown.push_back(rec);
  if (s.observer) s.observer(rec);
}

BoxRecord recordOf(const BoxSpec& request) {
  BoxRecord rec;
  rec.kind = request.kind;
  rec.title = request.title;
  rec.text = request.text;
  for (auto& b : request.buttons) rec.buttons.push_back(b.label);
  return rec;
}

// A headless responder's answer as one of the box's result codes.
int answerFor(const BoxSpec& request, int answer) {
  for (auto& b : request.buttons)
    if (b.result == answer) return answer;
  return request.buttons[request.defaultIndex].result;
}

int runBox(BoxSpec request) {
  BoxRecord rec = recordOf(request);
  auto win = std::make_shared<BoxWindow>();
  win->request = request;
  win->focus = request.defaultIndex;
  Size screen = backend().screenSize();
  win->open(boxCentre(request.owner, screen), screen);

  gui_detail::pushModal(win.get());
  // Also when a handler inside the loop quits the program: no box may stay modal.
  struct Close {
    BoxWindow* box;
    ~Close() {
      gui_detail::popModal(box);
      box->Destroy();
    }
  } closeOnExit{win.get()};
  ObjectPtr previousFocus = SETAPPFOCUS(win);
  bool headless = backend().headless();
  int rounds = 0;
  gui_detail::Event e;
  while (!win->done) {
    while (!win->done && gui_detail::takeEvent(e)) e.target->handleEvent(e.code, e.mp1, e.mp2);
    if (win->done) break;
    gui_detail::presentAll();
    if (headless) {
      BoxState& s = boxes();
      int answer = s.responder ? s.responder(rec) : 0;
      // A responder that keeps the box open has fed it input; one that never stops would
      // hang the run, so it gets a generous number of rounds and then the default.
      if (answer == box::kKeepOpen && ++rounds < 10000) continue;
      win->finish(answerFor(request, answer));
    } else if (!gui_detail::waitForInput()) {
      win->finish(request.buttons[request.defaultIndex].result);
    }
  }
  int result = win->result;
  gui_detail::popModal(win.get());
  win->Destroy();  // the guard's second go does nothing
  // Hand the focus back only where the box still has it (a nested box may have moved it).
  if (focusedWindow() == nullptr || focusedWindow() == win) SETAPPFOCUS(previousFocus);
  rec.result = result;
  record(rec);
  return result;
}

// Text-mode ALERT: the text, then numbered choices; a number or a button's label picks one.
int alertOnTerminal(const BoxSpec& request) {
  BoxState& s = boxes();
  std::istream& in = s.in ? *s.in : std::cin;
  std::ostream& out = s.out ? *s.out : std::cout;
  for (auto& line : splitLines(request.text)) out << line << "\n";
  int n = static_cast<int>(request.buttons.size());
  for (int i = 0; i < n; ++i) out << "  " << (i + 1) << ") " << request.buttons[i].label << "\n";
  for (;;) {
    out << "Choice (1-" << n << "): " << std::flush;
    std::string line;
    if (!std::getline(in, line)) {
      out << "\n";
      return 0;
    }
    auto b = line.find_first_not_of(" \t\r");
    auto e = line.find_last_not_of(" \t\r");
    std::string answer = b == std::string::npos ? "" : line.substr(b, e - b + 1);
    if (!answer.empty() &&
        std::all_of(answer.begin(), answer.end(), [](unsigned char c) { return std::isdigit(c); }) &&
        answer.size() < 6) {
      int k = std::stoi(answer);
      if (k >= 1 && k <= n) return k;
    }
    for (int i = 0; i < n; ++i)
      if (!answer.empty() && lower(answer) == lower(request.buttons[i].label)) return i + 1;
  }
}

std::vector<Button> buttonSet(int set) {
  using namespace box;
  switch (set) {
    case kOkCancel: return {{"OK", kResultOk}, {"Cancel", kResultCancel}};
    case kAbortRetryIgnore:
      return {{"Abort", kResultAbort}, {"Retry", kResultRetry}, {"Ignore", kResultIgnore}};
    case 3: return {{"Yes", kResultYes}, {"No", kResultNo}, {"Cancel", kResultCancel}};
    case kYesNo: return {{"Yes", kResultYes}, {"No", kResultNo}};
    case kRetryCancel: return {{"Retry", kResultRetry}, {"Cancel", kResultCancel}};
    default: return {{"OK", kResultOk}};
  }
}

}  // namespace

// ---- the API --------------------------------------------------------------------------

void setBoxResponder(BoxResponder responder) { boxes().responder = std::move(responder); }
const std::vector<BoxRecord>& shownBoxes() { return boxes().shown; }
void clearShownBoxes() { boxes().shown.clear(); }
void setBoxObserver(std::function<void(const BoxRecord&)> observer) {
  boxes().observer = std::move(observer);
}

void setBoxDefaultTitle(std::string title) { boxes().defaultTitle = std::move(title); }

std::string boxDefaultTitle() {
  if (boxes().defaultTitle) return *boxes().defaultTitle;
  std::string name = APPNAME(true);
  auto slash = name.find_last_of('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name.empty() ? "Quorvex" : name;
}

void setAlertStreams(std::istream* in, std::ostream* out) {
  boxes().in = in;
  boxes().out = out;
}

std::shared_ptr<Window> currentBoxWindow() {
  Window* w = gui_detail::currentModal();
  return w ? std::static_pointer_cast<Window>(w->weak_from_this().lock()) : nullptr;
}

DeviceRect boxButtonRect(const Window& box, int index) {
  auto* b = dynamic_cast<const BoxWindow*>(&box);
  if (!b || index < 0 || index >= static_cast<int>(b->request.buttons.size())) return {};
  return b->buttonRect(index);
}

Value MSGBOX(const Value& text, const Value& title) {
  BoxSpec request;
  request.kind = "MSGBOX";
  request.title = title.isNil() ? boxDefaultTitle() : textOf(title);
  request.text = textOf(text);
  request.buttons = buttonSet(box::kOk);
  request.escapeResult = box::kResultOk;
  return Value(runBox(std::move(request)));
}

Value ALERT(const Value& text, const Value& buttons) {
  BoxSpec request;
  request.kind = "ALERT";
  request.title = boxDefaultTitle();
  request.text = textOf(text);
  if (buttons.isArray()) {
    for (std::size_t i = 1; i <= buttons.length(); ++i) {
      int position = static_cast<int>(i);
      request.buttons.push_back({textOf(buttons.element(i)), position});
    }
  }
  if (request.buttons.empty()) request.buttons.push_back({"Ok", 1});
  // Leaving an alert without a choice answers 0.
  request.escapeResult = 0;
  if (APPTYPE() != kAppTypeGui) {
    BoxRecord rec = recordOf(request);
    rec.result = alertOnTerminal(request);
    record(rec);
    return Value(rec.result);
  }
  return Value(runBox(std::move(request)));
}

// nStyle: an icon code (16, 32, 48, 64) plus the default button (256 the second, 512 the
// third) plus flags that change nothing here (65536, 131072: the box's place among the
// windows, which is always on top of the application).
Value CONFIRMBOX(const Value& owner, const Value& text, const Value& title, const Value& buttons,
                 const Value& style) {
  BoxSpec request;
  request.kind = "CONFIRMBOX";
  request.owner = owner.as<Window>();
  request.title = title.isNil() ? boxDefaultTitle() : textOf(title);
  request.text = textOf(text);
  int set = buttons.isNumber() && std::isfinite(buttons.number())
                ? static_cast<int>(std::fmod(std::fabs(buttons.number()), 16.0))
                : box::kOk;
  request.buttons = buttonSet(set);
  long styleBits = style.isNumber() && std::isfinite(style.number()) && style.number() >= 0 &&
                           style.number() < 4294967296.0
                       ? static_cast<long>(style.number())
                       : 0;
  int icon = static_cast<int>(styleBits & 0xF0);
  if (icon == box::kIconStop || icon == box::kIconQuestion || icon == box::kIconExclamation ||
      icon == box::kIconInformation)
    request.icon = icon;
  int def = static_cast<int>((styleBits >> 8) & 0xF);
  request.defaultIndex = def < static_cast<int>(request.buttons.size()) ? def : 0;
  for (auto& b : request.buttons)
    if (b.result == box::kResultCancel) request.escapeResult = box::kResultCancel;
  if (request.buttons.size() == 1) request.escapeResult = box::kResultOk;
  return Value(runBox(std::move(request)));
}

}  // namespace qv
