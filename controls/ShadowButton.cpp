#include "controls/ShadowButton.h"

#include <cmath>

#include "colour/attrs.h"
#include "colour/hsb.h"
#include "colour/rgb.h"
#include "platform/draw/colours.h"
#include "platform/draw/gra.h"
#include "platform/runtime/error.h"

namespace qv {

double bevelDarkGrey() { return rgbColour(125, 125, 125); }
double bevelLightGrey() { return rgbColour(189, 189, 189); }

void drawRoundBevel(const Value& ps, Size size, double r, double hue1, double hue2) {
  const double w = size.w, h = size.h;
  for (int I = 0; I <= 1; ++I) {
    const double ri = r + I;
    GRASETCOLOR(ps, hue1);
    GRALINE(ps, Point{double(I), r}, Point{double(I), h - r - I});
    GRAARC(ps, Point{ri, ri}, ri, Value(), 180, 45);
    GRAARC(ps, Point{ri, h - r - I}, ri, Value(), 90, 90);
    GRALINE(ps, Point{ri, h - I - 1}, Point{w - r - I, h - I - 1});
    GRAARC(ps, Point{w - r - I, h - r - I}, ri, Value(), 45, 45);
    GRASETCOLOR(ps, hue2);
    GRAARC(ps, Point{w - r - I, h - r - I}, ri, Value(), 0, 45);
    GRALINE(ps, Point{w - I, h - r - I}, Point{w - I, ri});
    GRAARC(ps, Point{w - r - I, ri}, ri, Value(), 270, 90);
    GRALINE(ps, Point{w - I - r, double(I)}, Point{ri, double(I)});
    GRAARC(ps, Point{ri, ri}, ri, Value(), 225, 45);
    GRASETCOLOR(ps, colour_code::kForeground);
  }
}

void drawRectBevel(const Value& ps, Size size, double hue1, double hue2) {
  const double w = size.w, h = size.h;
  for (int i = 0; i <= 1; ++i) {
    const double I = i;
    GRASETCOLOR(ps, hue1);
    GRALINE(ps, Point{I, I}, Point{I, h - I});
    GRALINE(ps, std::nullopt, Point{w - I, h - I});
    GRASETCOLOR(ps, hue2);
    GRALINE(ps, std::nullopt, Point{w - I, I});
    GRALINE(ps, std::nullopt, Point{I, I});
    GRASETCOLOR(ps, colour_code::kForeground);
  }
}

ShadowButton::ShadowButton()
    : HoverColorBG(rgbColour(255, 255, 255)),
      ActivateColorBG(rgbColour(255, 255, 255)),
      ColorBG(rgbColour(255, 255, 255)) {}

void ShadowButton::Init(const WindowArgs& args) {
  ActiveText::Init(args);
  HoverColorBG = rgbColour(255, 255, 255);
  ActivateColorBG = rgbColour(255, 255, 255);
  ColorBG = rgbColour(255, 255, 255);
  Model = "FANCY";
  TextColor = rgbColour(155, 155, 155);
  HoverColorFG = rgbColour(0, 0, 0);
  ActivateColorFG = rgbColour(0, 255, 0);
  UseHiLites = true;
  ShadowRefRGB = HoverColorBG;
  nRadius = 4;
}

void ShadowButton::Create() {
  ActiveText::Create();
  ShadowRefRGB = HoverColorBG;
}

void ShadowButton::Paint() {
  if (isDestroyed() || !oPS || !oPS->isCreated()) return;
  Value ps(oPS);
  Value aAttr = Value::arrayOf(5);
  Value aAttrL = Value::arrayOf(4);

  double background = 0;
  if (IsDown) {
    background = ActivateColorBG;
    aAttr.at(1) = background;
    Hilite(bevelDarkGrey(), bevelLightGrey());
  } else if (IsShadow) {
    background = HoverColorBG;
    aAttr.at(1) = background;
    Hilite(bevelLightGrey(), bevelDarkGrey());
  } else {
    background = ColorBG;
    aAttr.at(1) = background;
    Hilite(bevelDarkGrey(), bevelLightGrey());
  }
  aAttrL.at(1) = aAttr.element(1);
  ShadowRefRGB = background;

  GRASETATTRAREA(ps, aAttr);
  GRASETATTRLINE(ps, aAttrL);

  if (!isFancy()) {
    const Size s = CurrentSize();
    GRABOX(ps, Point{1, 2}, Point{s.w - 2, s.h - 2}, kGraOutlineFill);
  } else {
    Size s = CurrentSize();
    GRABOX(ps, Point{1, 2}, Point{s.w - 2, s.h - 2}, kGraOutlineFill, nRadius, nRadius);

    Value rgb = GRAGETRGBINTENSITY(*ShadowRefRGB);
    if (!rgb.isArray()) {
      // The gradient shades the background through HSB, which needs a packed RGB colour.
      ErrorSpec failure;
      failure.genCode = gen::kArgument;
      failure.subSystem = "BASE";
      failure.operation = "ShadowButton:Paint";
      failure.description = "The background of a FANCY button is not a packed RGB colour";
      failure.args = Value::array({*ShadowRefRGB});
      raiseError(makeError(failure));
      return;
    }
    Value hsb = RGBToHSB(rgb);

    s = CurrentSize();
    const double nStart = std::trunc(s.h / 2);
    const double nEnd = IsShadow ? s.h - 2 : 3;
    const double nStep = IsShadow ? 1 : -1;
    for (double I = nStart; nStep > 0 ? I <= nEnd : I >= nEnd; I += nStep) {
      hsb.at(3) = hsb.element(3).number() - 1;
      Value back = HSBToRGB(hsb);
      Value triple = Value::arrayOf(3);
      for (std::size_t c = 1; c <= 3; ++c) triple.at(c) = std::trunc(back.element(c).number());
      GRASETCOLOR(ps, GraMakeRGBColor(triple));
      GRALINE(ps, Point{4, I}, Point{CurrentSize().w - 4, I});
    }
  }
  ActiveText::Paint();
}

void ShadowButton::Motion(const Value& aPos) {
  ObjectPtr self = weak_from_this().lock();
  Value siblings = siblingList();
  ActiveText::Motion(aPos);
  if (!IsShadow) return;
  switchOffSiblings("ShadowButton", siblings);
}

ShadowButton& ShadowButton::Hilite(double Hue1, double Hue2) {
  if (!UseHiLites) return *this;
  if (isFancy()) {
    drawRoundBevel(Value(oPS), CurrentSize(), nRadius, Hue1, Hue2);
  } else {
    drawRectBevel(Value(oPS), CurrentSize(), Hue1, Hue2);
  }
  return *this;
}

const ControlClass& ShadowButton::INITCLASS() {
  static const ControlClass cls{"ShadowButton", &ActiveText::INITCLASS()};
  return cls;
}

}  // namespace qv
