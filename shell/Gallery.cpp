// The gallery: nine custom-drawn controls on the dialog's drawing area. Each control's
// settings are made in a fixed order: captions and callbacks before Create, the font after
// it; the bitmap buttons take their picture before create and their callback last.
#include "colour/rgb.h"
#include "controls/ActiveText.h"
#include "controls/GraphicButton.h"
#include "controls/ShadowButton.h"
#include "controls/ShadowText.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {

namespace {

Value at(double x, double y) { return Value::array({x, y}); }

// The colour step shared by the three buttons: the next background colour, and the colour
// caption turned and relabelled to match.
Value colourStep(MainState& s) {
  QV_ROUTINE("colourStep");
  btnHandle(s.oDlg, s.aColors, s.nInc);
  QV_LINE();
  s.oSay->Angle = 90 - 24 * (s.nInc.number() - 1);
  s.oSay->SetCaption("Color" + STR(s.nInc, 2).text());
  return {};
}

Value messageBox(const char* text) {
  QV_ROUTINE("messageBox");
  return MSGBOX(text);
}

}  // namespace

void buildGallery(MainState& s, const std::shared_ptr<QvpDrawingArea>& oDa) {
  QV_ROUTINE("buildGallery");
  // The callbacks ignore the arguments the controls pass them.
  Value selected = Value::callback([](std::vector<Value>&) { return messageBox("Selected"); });
  Value selected90 = Value::callback([](std::vector<Value>&) { return messageBox("Selected 90"); });
  Value step = Value::callback([&s](std::vector<Value>&) { return colourStep(s); });

  struct Caption {
    const char* text;
    double x, y, angle;
    std::optional<double> depth;
  };
  static const Caption kCaptions[] = {
      {"90 Degrees", 400, 100, 90, std::nullopt},
      {"45 Degrees", 50, 250, 45, std::nullopt},
  };
  for (const auto& c : kCaptions) {
    QV_LINE();
    auto o = New<ShadowText>(oDa, nullptr, at(c.x, c.y));
    o->Caption = c.text;
    o->Angle = c.angle;
    o->Create();
    o->setFontCompoundName("16.Arial");
    s.oSay = o;
  }

  struct Active {
    const char* text;
    double x, y, angle;
    const Value* callback;
  };
  const Active kActive[] = {
      {"Active Text", 350, 250, 0, &selected},
      {"Active Text 90", 350, 350, 90, &selected90},
  };
  for (const auto& a : kActive) {
    QV_LINE();
    auto o = New<ActiveText>(oDa, nullptr, at(a.x, a.y));
    o->Caption = a.text;
    o->Activate = *a.callback;
    o->Angle = a.angle;
    o->Create();
    o->setFontCompoundName("16.Arial");
  }

  QV_LINE();
  {
    auto o = New<ShadowText>(oDa, nullptr, at(100, 400));
    o->Caption = "Normal";
    o->ShadowDepth = 10;
    o->Angle = 0;
    o->Create();
    o->setFontCompoundName("16.Arial");
    s.oSay = o;
  }

  QV_LINE();
  {
    auto o = New<ShadowText>(oDa, nullptr, at(10, 50), Value::array({150, 150}));
    o->Caption = "Color " + STR(s.nInc, 2).text();
    o->ShadowDepth = -5.0;
    o->Angle = 90;
    o->Create();
    o->setFontCompoundName("24.Times New Roman Bold Italic");
    s.oSay = o;  // the caption the colour step turns and relabels
  }

  QV_LINE();
  {
    auto o = New<ShadowButton>(oDa, nullptr, at(200, 200), Value::array({100, 40}));
    o->Caption = "Color";
    o->HoverColorBG = rgbColour(255, 0, 255);
    o->HoverColorFG = rgbColour(0, 0, 0);
    o->ColorBG = rgbColour(255, 0, 255);
    o->Create();
    o->setFontCompoundName("16.Arial Bold");
    o->Activate = step;
  }

  struct Picture {
    const char* caption;
    double x;
    Value graphic;
  };
  const Picture kPictures[] = {
      {"From Name", 200, Value("Files.bmp")},
      {"From Resource", 475, Value(100)},
  };
  for (const auto& p : kPictures) {
    QV_LINE();
    auto o = New<GraphicButton>(oDa, nullptr, at(p.x, 50), Value::array({200, 100}));
    o->Caption = p.caption;
    o->HoverColorFG = rgbColour(0, 0, 0);
    o->SetGraphic(p.graphic);
    o->Create();
    o->setFontCompoundName("18.Arial Bold Italic");
    o->Activate = step;
  }
}

}  // namespace qv
