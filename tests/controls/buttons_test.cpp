#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "controls/GraphicButton.h"
#include "controls/ShadowButton.h"
#include "fixture.h"
#include "platform/draw/presspace.h"
#include "trace.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

const double kDark = rgbColour(125, 125, 125);
const double kLight = rgbColour(189, 189, 189);

// Replaces the placeholders A and B of an expected trace by the two colours.
std::vector<std::string> withColours(const std::vector<std::string>& lines, double a, double b) {
  std::vector<std::string> out;
  for (std::string l : lines) {
    for (auto [ph, c] : {std::pair{'A', a}, std::pair{'B', b}}) {
      for (auto pos = l.find(ph); pos != std::string::npos; pos = l.find(ph)) l.replace(pos, 1, traceNumber(c));
    }
    out.push_back(l);
  }
  return out;
}

template <class T>
class Probe : public T {
 public:
  int paints = 0;
  std::vector<bool> shadowAtPaint;
  void Paint() override {
    ++paints;
    shadowAtPaint.push_back(this->IsShadow);
    T::Paint();
  }
};

class ButtonsTest : public ControlsTest {
 protected:
  template <class T>
  std::shared_ptr<T> make(double x, double y, double w, double h, const std::string& caption = "") {
    auto o = New<T>(da, nullptr, at(x, y), Value::array({w, h}));
    o->Caption = caption;
    o->Create();
    return o;
  }
  template <class T>
  static std::vector<std::string> traced(T& o, const std::function<void()>& what) {
    o.oPS->startTrace();
    what();
    return o.oPS->stopTrace();
  }
  fs::path tempDir() {
    fs::path d = fs::temp_directory_path() / ("qv_controls_" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }
};

TEST_F(ButtonsTest, ShadowButtonDefaultsAndCreate) {
  auto b = New<ShadowButton>(da, nullptr, at(10, 10), Value::array({100, 40}));
  EXPECT_EQ(b->Model, "FANCY");
  EXPECT_EQ(b->nRadius, 4);
  EXPECT_TRUE(b->UseHiLites);
  for (double bg : {b->HoverColorBG, b->ActivateColorBG, b->ColorBG}) EXPECT_EQ(bg, rgbColour(255, 255, 255));
  b->HoverColorBG = rgbColour(255, 0, 255);  // between Init and create
  b->Create();
  EXPECT_EQ(b->ShadowRefRGB, rgbColour(255, 0, 255));
  EXPECT_EQ(b->ColorFG, rgbColour(155, 155, 155));
  EXPECT_EQ(b->HoverColorFG, rgbColour(0, 0, 0));
  EXPECT_EQ(b->ActivateColorFG, rgbColour(0, 255, 0));

  auto g = make<GraphicButton>(150, 10, 100, 40);
  EXPECT_EQ(g->Type, 5);
  EXPECT_EQ(g->ShadowRefRGB, rgbColour(225, 225, 225));
  EXPECT_EQ(g->ColorFG, rgbColour(155, 155, 155));
  EXPECT_EQ(g->HoverColorFG, rgbColour(0, 0, 0));
  EXPECT_TRUE(g->GraphicFile.isText() && g->GraphicFile.text().empty());
  EXPECT_FALSE(g->oGraph);

  EXPECT_TRUE(ShadowButton::INITCLASS().IsDerivedFrom("ShadowText"));
  EXPECT_EQ(GraphicButton::INITCLASS().base, &ActiveText::INITCLASS());
}

TEST_F(ButtonsTest, BevelTraces) {
  const std::vector<std::string> round4 = {
      "color A", "line {0,4} {0,36} A", "arc {4,4} 4 180 45 A", "arc {4,36} 4 90 90 A",
      "line {4,39} {96,39} A", "arc {96,36} 4 45 45 A", "color B", "arc {96,36} 4 0 45 B",
      "line {100,36} {100,4} B", "arc {96,4} 4 270 90 B", "line {96,0} {4,0} B", "arc {4,4} 4 225 45 B",
      "color 1",
      "color A", "line {1,4} {1,35} A", "arc {5,5} 5 180 45 A", "arc {5,35} 5 90 90 A",
      "line {5,38} {95,38} A", "arc {95,35} 5 45 45 A", "color B", "arc {95,35} 5 0 45 B",
      "line {99,35} {99,5} B", "arc {95,5} 5 270 90 B", "line {95,1} {5,1} B", "arc {5,5} 5 225 45 B",
      "color 1"};
  const std::vector<std::string> round0 = {
      "color A", "line {0,0} {0,40} A", "arc {0,0} 0 180 45 A", "arc {0,40} 0 90 90 A",
      "line {0,39} {100,39} A", "arc {100,40} 0 45 45 A", "color B", "arc {100,40} 0 0 45 B",
      "line {100,40} {100,0} B", "arc {100,0} 0 270 90 B", "line {100,0} {0,0} B", "arc {0,0} 0 225 45 B",
      "color 1",
      "color A", "line {1,0} {1,39} A", "arc {1,1} 1 180 45 A", "arc {1,39} 1 90 90 A",
      "line {1,38} {99,38} A", "arc {99,39} 1 45 45 A", "color B", "arc {99,39} 1 0 45 B",
      "line {99,39} {99,1} B", "arc {99,1} 1 270 90 B", "line {99,1} {1,1} B", "arc {1,1} 1 225 45 B",
      "color 1"};
  const std::vector<std::string> rect = {
      "color A", "line {0,0} {0,40} A", "line {0,40} {100,40} A", "color B", "line {100,40} {100,0} B",
      "line {100,0} {0,0} B", "color 1",
      "color A", "line {1,1} {1,39} A", "line {1,39} {99,39} A", "color B", "line {99,39} {99,1} B",
      "line {99,1} {1,1} B", "color 1"};
  struct Case {
    const char* name;
    std::string model;
    double radius;
    double hue1, hue2;
    const std::vector<std::string>* expected;
  };
  const Case cases[] = {
      {"rounded, r 4", "FANCY", 4, kDark, kLight, &round4},
      {"rounded, r 0, swapped", "FANCY", 0, kLight, kDark, &round0},
      {"rectangular", "PLAIN", 4, kDark, kLight, &rect},
      {"rectangular, swapped", "", 4, kLight, kDark, &rect},
  };
  auto b = make<ShadowButton>(10, 10, 100, 40);
  for (const Case& c : cases) {
    b->Model = c.model;
    b->nRadius = c.radius;
    EXPECT_EQ(traced(*b, [&] { b->Hilite(c.hue1, c.hue2); }), withColours(*c.expected, c.hue1, c.hue2)) << c.name;
    EXPECT_EQ(b->oPS->setColor().element(1).number(), colour_code::kForeground) << c.name;
  }
  b->UseHiLites = false;
  EXPECT_TRUE(traced(*b, [&] { b->Hilite(kDark, kLight); }).empty());

  // GraphicButton's bevel is the rectangular one.
  auto g = make<GraphicButton>(150, 10, 100, 40);
  EXPECT_EQ(traced(*g, [&] { g->Hilite(kLight, kDark); }), withColours(rect, kLight, kDark));
  g->UseHiLites = false;
  EXPECT_TRUE(traced(*g, [&] { g->Hilite(kDark, kLight); }).empty());
}

TEST_F(ButtonsTest, GradientRows) {
  struct Case {
    const char* model;
    double h;
    bool hover;
    int first, last, count;
    int lastGrey;  // grey 200 lowered `count` brightness points: INT(200 - 2.55 * count)
  };
  const Case cases[] = {
      {"FANCY", 40, false, 20, 3, 18, 154}, {"FANCY", 40, true, 20, 38, 19, 151},
      {"FANCY", 41, false, 20, 3, 18, 154}, {"FANCY", 41, true, 20, 39, 20, 149},
      {"FANCY", 6, false, 3, 3, 1, 197},    {"FANCY", 5, false, 0, 0, 0, 0},
      {"FANCY", 3, true, 1, 1, 1, 197},     {"PLAIN", 40, false, 0, 0, 0, 0},
  };
  const double grey = rgbColour(200, 200, 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.model << " h " << c.h << (c.hover ? " hover" : " normal"));
    auto b = New<ShadowButton>(da, nullptr, at(10, 10), Value::array({100, c.h}));
    b->ColorBG = b->HoverColorBG = grey;
    b->UseHiLites = false;
    b->Model = c.model;
    b->Create();
    b->IsShadow = c.hover;
    const auto trace = traced(*b, [&] { b->Paint(); });
    const auto lines = linesStarting(trace, "line ");
    ASSERT_EQ(int(lines.size()), c.count);
    const auto boxes = linesStarting(trace, "box ");
    ASSERT_EQ(boxes.size(), 1u);
    const std::string radii = std::string(c.model) == "FANCY" ? " 3 4 4 " : " 3 0 0 ";
    EXPECT_EQ(boxes[0].rfind("box {1,2} " + tracePoint({98, c.h - 2}) + radii, 0), 0u) << boxes[0];
    EXPECT_EQ(b->ShadowRefRGB, grey);
    if (c.count == 0) continue;
    const std::string firstLine = "line " + tracePoint({4, double(c.first)}) + " " + tracePoint({96, double(c.first)});
    const std::string lastLine = "line " + tracePoint({4, double(c.last)}) + " " + tracePoint({96, double(c.last)}) +
                                 " " + traceNumber(rgbColour(c.lastGrey, c.lastGrey, c.lastGrey));
    EXPECT_EQ(lines.front().rfind(firstLine, 0), 0u) << lines.front();
    EXPECT_EQ(lines.back(), lastLine);
  }
}

TEST_F(ButtonsTest, PaintOrderBevelBodyCaption) {
  auto b = make<ShadowButton>(10, 10, 100, 40, "Go");
  const auto trace = traced(*b, [&] { b->Paint(); });
  ASSERT_GE(trace.size(), 4u);
  EXPECT_EQ(trace.front(), "color " + traceNumber(kDark));
  std::size_t box = 0, lastLine = 0, firstString = trace.size();
  for (std::size_t i = 0; i < trace.size(); ++i) {
    if (trace[i].rfind("box ", 0) == 0) box = i;
    if (trace[i].rfind("line ", 0) == 0) lastLine = i;
    if (trace[i].rfind("string ", 0) == 0 && firstString == trace.size()) firstString = i;
  }
  EXPECT_EQ(box, 26u) << "both bevel rings (26 calls) come first";
  EXPECT_GT(lastLine, box);
  EXPECT_GT(firstString, lastLine);
  EXPECT_EQ(drawnStrings(trace).back().text, "Go");

  auto g = make<GraphicButton>(150, 10, 100, 40, "Go");
  g->oGraph = QvpBitmap::New();
  g->oGraph->Create();
  const auto gt = traced(*g, [&] { g->Paint(); });
  std::vector<std::string> kinds;
  for (const auto& l : gt) kinds.push_back(l.substr(0, l.find(' ')));
  const auto bitmapAt = std::find(kinds.begin(), kinds.end(), "bitmap") - kinds.begin();
  ASSERT_LT(std::size_t(bitmapAt), kinds.size());
  EXPECT_EQ(std::count(kinds.begin(), kinds.begin() + bitmapAt, "line"), 8);
  EXPECT_EQ(gt[bitmapAt], "bitmap {2,2,98,38} {0,0,-4,-4}");  // an empty picture still draws
  EXPECT_EQ(std::count(kinds.begin() + bitmapAt, kinds.end(), "string"), 1);  // grey, no shadow
  EXPECT_EQ(kinds.back(), "string");
}

TEST_F(ButtonsTest, GraphicButtonEdgesInEachState) {
  auto g = make<GraphicButton>(20, 20, 120, 60);
  const int w = 120, h = 60;
  struct Case {
    const char* state;
    std::function<void()> enter;
    Rgb hue1, hue2;
  };
  const Rgb dark{125, 125, 125}, light{189, 189, 189};
  const Case cases[] = {
      {"normal", [] {}, dark, light},
      {"hover", [&] { g->Motion(at(10, 10)); }, light, dark},
      {"pressed", [&] { g->lbDown(at(10, 10)); }, dark, light},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    c.enter();
    dispatchPending();
    EXPECT_EQ(pixel(*g, 0, h / 2), c.hue1);
    EXPECT_EQ(pixel(*g, 1, h / 2), c.hue1);
    EXPECT_EQ(pixel(*g, w / 2, h - 1), c.hue1);
    EXPECT_EQ(pixel(*g, w - 1, h / 2), c.hue2);
    EXPECT_EQ(pixel(*g, w / 2, 0), c.hue2);
    EXPECT_EQ(pixel(*g, w / 2, 1), c.hue2);
    EXPECT_EQ(pixel(*g, w / 2, h / 2), backgroundRgb) << "no picture: the parent shows through";
  }
}

TEST_F(ButtonsTest, ShadowButtonBodyKeepsTheBackgroundWhereNoRowRuns) {
  const Rgb bg{90, 160, 200};
  auto plain = New<ShadowButton>(da, nullptr, at(10, 10), Value::array({100, 40}));
  plain->Model = "PLAIN";
  plain->ColorBG = packed(bg);
  plain->Create();
  auto fancy = New<ShadowButton>(da, nullptr, at(10, 100), Value::array({100, 40}));
  fancy->ColorBG = fancy->HoverColorBG = packed(bg);
  fancy->Create();
  dispatchPending();
  const std::pair<int, int> inside[] = {{50, 20}, {5, 5}, {94, 34}, {50, 3}, {50, 37}};
  for (auto [x, y] : inside) EXPECT_EQ(pixel(*plain, x, y), bg) << x << "," << y;

  // Normal: the run goes from the middle down to row 3; the upper half stays plain.
  EXPECT_EQ(pixel(*fancy, 50, 30), bg);
  EXPECT_NE(pixel(*fancy, 50, 10), bg);
  // Hover: the run goes up towards row h - 2; the lower half stays plain.
  fancy->IsShadow = true;
  fancy->Paint();
  EXPECT_EQ(pixel(*fancy, 50, 10), bg);
  EXPECT_NE(pixel(*fancy, 50, 30), bg);
}

TEST_F(ButtonsTest, BitmapOfTheButtonsSizeIsCopiedOneToOne) {
  // Each pixel tells where it came from: red = column, green = row from the top.
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 100);
  auto* data = cairo_image_surface_get_data(img);
  for (int row = 0; row < 100; ++row) {
    auto* p = reinterpret_cast<std::uint32_t*>(data + row * cairo_image_surface_get_stride(img));
    for (int col = 0; col < 200; ++col) p[col] = 0xff000000u | (std::uint32_t(col) << 16) | (std::uint32_t(row) << 8) | 50u;
  }
  cairo_surface_mark_dirty(img);
  const fs::path file = tempDir() / "pattern.png";
  ASSERT_EQ(cairo_surface_write_to_png(img, file.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(img);

  auto g = New<GraphicButton>(da, nullptr, at(20, 20), Value::array({200, 100}));
  g->SetGraphic(file.string());
  g->Create();
  ASSERT_TRUE(g->oGraph);
  ASSERT_EQ(g->oGraph->xSize(), 200);
  dispatchPending();
  // Window pixel (2 + i, 2 + j) shows bitmap pixel (i, j), y up: image row 99 - j.
  for (int j = 0; j < 96; j += 5) {
    for (int i = 0; i < 196; i += 7) {
      ASSERT_EQ(pixel(*g, 2 + i, 2 + j), (Rgb{i, 99 - j, 50})) << i << "," << j;
    }
  }
  EXPECT_EQ(pixel(*g, 2 + 195, 2 + 95), (Rgb{195, 4, 50}));
  fs::remove_all(tempDir());
}

TEST_F(ButtonsTest, SetGraphicCases) {
  const fs::path notImage = tempDir() / "notes.bmp";
  std::ofstream(notImage) << "this is not a picture";
  const fs::path missing = tempDir() / "missing.bmp";
  auto font = QvpFont::New();
  auto handed = QvpBitmap::New();
  handed->Create();

  struct Case {
    const char* name;
    Value gr;
    std::string boxText;  // "" when no box is shown
    enum { None, Empty, Loaded, Handed } picture;
    Value graphicFile;
  };
  const Value before = "before.bmp";
  const Case cases[] = {
      {"missing file", Value(missing.string()), "ERROR in GraphicButton no file " + missing.string(), Case::None,
       Value(missing.string())},
      {"file that is no image", Value(notImage.string()), "", Case::Empty, Value(notImage.string())},
      {"resource 100", Value(100), "", Case::Loaded, Value(100)},
      {"resource 101", Value(101), "ERROR in GraphicButton no resource!", Case::Empty, Value(101)},
      {"bitmap object", Value(handed), "", Case::Handed, Value("")},
      {"logical", Value(true), "ERROR in GraphicButton no Bitmap!", Case::None, before},
      {"object of another class", Value(font), "ERROR in GraphicButton no Bitmap!", Case::None, before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto g = New<GraphicButton>(da, nullptr, at(20, 20), Value::array({200, 100}));
    auto earlier = QvpBitmap::New();
    earlier->Create();
    g->SetGraphic(Value(earlier));
    g->GraphicFile = before;
    clearShownBoxes();

    g->SetGraphic(c.gr);
    EXPECT_TRUE(earlier->isDestroyed());
    const auto& boxes = shownBoxes();
    if (c.boxText.empty()) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, c.boxText);
      EXPECT_EQ(boxes[0].title, "ERROR");
    }
    EXPECT_TRUE(g->GraphicFile.exactlyEquals(c.graphicFile)) << g->GraphicFile.text();
    switch (c.picture) {
      case Case::None: EXPECT_FALSE(g->oGraph); break;
      case Case::Empty:
        ASSERT_TRUE(g->oGraph);
        EXPECT_EQ(g->oGraph->xSize(), 0);
        break;
      case Case::Loaded:
        ASSERT_TRUE(g->oGraph);
        EXPECT_EQ(g->oGraph->xSize(), 200);
        EXPECT_EQ(g->oGraph->ySize(), 100);
        break;
      case Case::Handed: EXPECT_EQ(g->oGraph, handed); break;
    }
    g->Destroy();
    if (c.picture == Case::Handed) {
      EXPECT_TRUE(handed->isDestroyed()) << "the button owns a handed picture";
    }
  }
  fs::remove_all(tempDir());
}

TEST_F(ButtonsTest, CaptionCoversThePicture) {
  auto g = New<GraphicButton>(da, nullptr, at(20, 20), Value::array({200, 100}));
  g->Caption = "HHHH";
  g->SetGraphic(100);
  g->TextColor = rgbColour(0, 0, 255);
  g->Create();
  g->setFontCompoundName("24.Arial Bold");
  g->Paint();
  const auto caption = pixelsOf(*g, {0, 0, 255});
  ASSERT_GT(caption.size(), 50u);
  g->Caption = "";
  g->Paint();
  EXPECT_TRUE(pixelsOf(*g, {0, 0, 255}).empty()) << "the picture itself has no caption colour";
  const Point c = centroid(caption);
  EXPECT_NEAR(c.x, 100, 20);
  EXPECT_NEAR(c.y, 50, 20);
}

TEST_F(ButtonsTest, SetGraphicWithTheCurrentPictureKeepsIt) {
  auto g = New<GraphicButton>(da, nullptr, at(20, 20), Value::array({200, 100}));
  g->SetGraphic(100);
  auto picture = g->oGraph;
  ASSERT_TRUE(picture);
  g->SetGraphic(Value(picture));
  EXPECT_EQ(g->oGraph, picture);
  EXPECT_FALSE(picture->isDestroyed());
  EXPECT_EQ(g->GraphicFile.text(), "");
  EXPECT_TRUE(shownBoxes().empty());
}

TEST_F(ButtonsTest, FileThatIsNoImageDrawsNoPicture) {
  const fs::path notImage = tempDir() / "notes.bmp";
  std::ofstream(notImage) << "BM but not really";
  auto g = New<GraphicButton>(da, nullptr, at(20, 20), Value::array({120, 60}));
  g->SetGraphic(notImage.string());
  g->Create();
  dispatchPending();
  EXPECT_TRUE(shownBoxes().empty());
  EXPECT_EQ(pixel(*g, 60, 30), backgroundRgb);
  EXPECT_EQ(pixel(*g, 10, 10), backgroundRgb);
  fs::remove_all(tempDir());
}

TEST_F(ButtonsTest, FancyButtonOnAColourCodeReportsAndStopsPainting) {
  auto b = make<ShadowButton>(10, 10, 100, 40, "Code");
  b->ColorBG = colour_code::kForeground;
  errors.clear();
  const auto trace = traced(*b, [&] { b->Paint(); });
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(drawnStrings(trace).empty());

  b->Model = "PLAIN";
  errors.clear();
  const auto plain = traced(*b, [&] { b->Paint(); });
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(drawnStrings(plain).empty());
}

// One hover among siblings of a class: the button entering hover switches off the other
// one of its own class, which repaints once while still in hover; other classes are left.
TEST_F(ButtonsTest, SiblingWalkSwitchesOffOnlyItsOwnClass) {
  bool focusHookRan = false;
  dlg->killInputFocus = Value::callback([&](std::vector<Value>&) -> Value {
    focusHookRan = true;
    return {};
  });
  int activations = 0;
  Value count = Value::callback([&](std::vector<Value>&) -> Value {
    ++activations;
    return {};
  });
  auto s1 = make<Probe<ShadowButton>>(10, 10, 100, 40);
  auto s2 = make<Probe<ShadowButton>>(120, 10, 100, 40);
  auto g1 = make<Probe<GraphicButton>>(10, 100, 100, 40);
  auto g2 = make<Probe<GraphicButton>>(120, 100, 100, 40);
  for (ActiveText* o : std::initializer_list<ActiveText*>{s1.get(), s2.get(), g1.get(), g2.get()}) o->Activate = count;

  s1->Motion(at(5, 5));
  g1->Motion(at(5, 5));
  ASSERT_TRUE(s1->IsShadow && g1->IsShadow);
  dispatchPending();
  s1->paints = g1->paints = 0;
  s1->shadowAtPaint.clear();

  s2->Motion(at(5, 5));
  EXPECT_TRUE(s2->IsShadow);
  EXPECT_FALSE(s1->IsShadow);
  EXPECT_EQ(s1->paints, 1);
  EXPECT_EQ(s1->shadowAtPaint, std::vector<bool>{true});
  EXPECT_TRUE(g1->IsShadow);
  EXPECT_EQ(g1->paints, 0);

  g1->paints = 0;
  g1->shadowAtPaint.clear();
  g2->Motion(at(5, 5));
  EXPECT_FALSE(g1->IsShadow);
  EXPECT_EQ(g1->shadowAtPaint, std::vector<bool>{true});
  EXPECT_TRUE(s2->IsShadow);

  EXPECT_EQ(activations, 0);
  EXPECT_FALSE(focusHookRan);
}

TEST_F(ButtonsTest, SiblingWalkIsSkippedOutsideAndNeverHitsItself) {
  auto s1 = make<Probe<ShadowButton>>(10, 10, 100, 40);
  auto s2 = make<Probe<ShadowButton>>(120, 10, 100, 40);
  s1->Motion(at(5, 5));
  s2->paints = 0;
  s2->Motion(at(-5, 5));  // outside: s2 stays normal and touches nobody
  EXPECT_TRUE(s1->IsShadow);
  s1->paints = 0;
  s1->Motion(at(6, 6));   // already in hover: no repaint, s1 not switched off by itself
  EXPECT_TRUE(s1->IsShadow);
  EXPECT_EQ(s1->paints, 0);
}

}  // namespace
}  // namespace qv::test
