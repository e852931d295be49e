#include "controls/ShadowText.h"

#include <algorithm>
#include <cmath>

#include "colour/attrs.h"
#include "colour/hsb.h"
#include "colour/rgb.h"
#include "platform/draw/gra.h"

namespace qv {

bool ControlClass::IsDerivedFrom(std::string_view className) const {
  for (const ControlClass* c = this; c; c = c->base) {
    if (namesEqual(c->name, className)) return true;
  }
  return false;
}

std::optional<double> darkerShade(double packedRgb, double brightnessDrop) {
  Value rgb = GRAGETRGBINTENSITY(packedRgb);
  if (!rgb.isArray()) return std::nullopt;
  Value hsb = RGBToHSB(rgb);
  if (!hsb.isArray() || hsb.length() < 3) return std::nullopt;
  hsb.at(3) = hsb.element(3).number() - brightnessDrop;
  Value back = HSBToRGB(hsb);
  Value triple = Value::arrayOf(3);
  for (std::size_t i = 1; i <= 3; ++i) {
    Value channel = back.element(i);
    if (!channel.isNumber()) return std::nullopt;
    triple.at(i) = std::trunc(channel.number());
  }
  Value packed = GraMakeRGBColor(triple);
  if (!packed.isNumber()) return std::nullopt;
  return packed.number();
}

const ControlClass& ShadowText::classObject() {
  static const ControlClass cls{"ShadowText", nullptr};
  return cls;
}

ShadowText::ShadowText() : TextColor(rgbColour(0, 0, 0)) {}

void ShadowText::Init(const WindowArgs& args) {
  QvpStatic::Init(args);
  Caption = "";
  Angle = 0;
  TextColor = rgbColour(0, 0, 0);
  ShadowDepth = 3;
  DefFont = "8.Arial";
  IsAuto = false;
  AutoSize = args.size.isNil() || (args.size.isArray() && args.size.length() == 0);
  FirstTime = true;
}

void ShadowText::makePresSpace() {
  if (oPS || !isCreated() || isDestroyed()) return;
  DevicePtr device = WinDevice();
  if (!device) return;
  auto ps = QvpPresSpace::New();
  ps->Create(Value(device), Value::array({640, 480}));
  oPS = ps;
}

void ShadowText::Create() {
  QvpStatic::Create();
  if (!isCreated()) return;  // the window layer has reported why
  SetColorBG(colour_code::kNone);
  makePresSpace();
  if (!oFont) setFontCompoundName(DefFont);
  if (AutoSize) repaint();
}

void ShadowText::repaint() {
  if (isDestroyed()) return;
  Paint();
}

double ShadowText::shadowReference() {
  double ref = colour_code::kNone;
  if (ShadowRefRGB) {
    ref = *ShadowRefRGB;
  } else if (WindowPtr parent = SetParent()) {
    ref = parent->SetColorBG();
  }
  // A colour code says nothing about brightness; the shadow then darkens what the user
  // actually sees behind the caption.
  if (!GRAISRGBCOLOR(ref) && oPS) ref = oPS->backdrop();
  return ref;
}

void ShadowText::Paint() {
  if (IsAuto) return;
  if (isDestroyed() || !oPS || !oPS->isCreated()) return;

  // Black when even the backdrop cannot be darkened.
  const double nBClr = darkerShade(shadowReference(), 20).value_or(rgbColour(0, 0, 0));

  const double rad = DTOR(Angle);
  Value aAngle = Value::array({100 * COS(rad), 100 * SIN(rad)});

  Value ps(oPS);
  GRASETFONT(ps, Value(oFont));
  Value aAttr = Value::arrayOf(12);
  aAttr.at(1) = nBClr;
  aAttr.at(6) = aAngle;
  GRASETATTRSTRING(ps, aAttr);

  const auto box = GRAQUERYTEXTBOX(ps, Caption);
  const Point p1 = box[0], p2 = box[1], p3 = box[2], p4 = box[3];
  const double d = ShadowDepth;

  if (AutoSize) {
    IsAuto = true;
    const double width =
        std::max({std::abs(p1.x), std::abs(p2.x), std::abs(p3.x), std::abs(p4.x)}) + std::abs(d) + 5;
    const double height = std::max({std::abs(p3.y), std::abs(p4.y) + std::abs(p1.y), std::abs(p1.y),
                                    std::abs(p2.y)}) +
                          std::abs(d) + 5;
    const Size now = CurrentSize();
    if (width != now.w || height != now.h) SetSize(Size{width, height});
    IsAuto = false;
    if (isDestroyed()) return;
  }

  const Size size = CurrentSize();
  double nX = 0, nY = 0;
  if (Angle >= 0) {
    nX = (size.w - std::max({p1.x, p2.x, p3.x, p4.x}) - d - 5 + std::abs(p1.x - p2.x)) / 2;
    nY = (size.h - std::max({p1.y, p2.y, p3.y, p4.y}) + d + 5) / 2;
  } else {
    nX = (size.w - std::abs(p3.x) - std::abs(d) - 5 + std::abs(p1.x - p2.x)) / 2;
    nY = (size.h + std::max(std::abs(p3.y) + std::abs(p1.y), std::abs(p4.y) + std::abs(p2.y)) -
          std::abs(d) + 5) /
         2;
  }

  if (d != 0) GRASTRINGAT(ps, Point{nX + d, nY - d}, Caption);
  aAttr.at(1) = TextColor;
  GRASETATTRSTRING(ps, aAttr);
  GRASTRINGAT(ps, Point{nX, nY}, Caption);
}

void ShadowText::Destroy() {
  if (oFont) {
    oFont->Destroy();
    oFont.reset();
  }
  if (oPS) {
    oPS->Destroy();
    oPS.reset();
  }
  QvpStatic::Destroy();
}

bool ShadowText::SetCaption(const std::string& cText) {
  Caption = cText;
  repaint();
  return true;
}

Value ShadowText::setFontCompoundName(const std::string& cFont) {
  if (oFont) {
    std::string previous = oFont->CompoundName();
    oFont->Configure(cFont);
    return previous;
  }
  makePresSpace();
  auto font = QvpFont::New(Value(oPS));
  if (!font->Create(cFont)) return {};
  oFont = font;
  return Value(font);
}

QvpFontPtr ShadowText::SetFont(QvpFontPtr font) {
  QvpFontPtr previous = std::move(oFont);
  oFont = std::move(font);
  return previous;
}

}  // namespace qv
