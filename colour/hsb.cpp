#include "colour/hsb.h"

#include <cmath>

#include "platform/runtime/error.h"

namespace qv {

namespace {

void raiseConversionError(const char* operation, const Value& arg, const char* why) {
  ErrorSpec fault;
  fault.genCode = gen::kArgument;
  fault.operation = operation;
  fault.description = why;
  fault.args = Value::array({arg});
  raiseError(makeError(fault));
}

Value orNil(const std::optional<double>& v) { return v ? Value(*v) : Value(); }

}  // namespace

Hsb rgbToHsb(double r, double g, double b) {
  double lMax = r > g ? (r > b ? r : b) : (g > b ? g : b);
  double lMin = r < g ? (r < b ? r : b) : (g < b ? g : b);
  double lDelta = lMax - lMin;
  Hsb out;
  out.brightness = lMax * 100 / 255;
  if (lMax > 0) {
    out.saturation = lDelta / lMax * 100;
    if (lDelta > 0) {
      // Tested in this order: the order is the tie-break between equal maxima.
      double nTemp;
      if (lMax == r) {
        nTemp = (g - b) / lDelta;
      } else if (lMax == g) {
        nTemp = 2 + (b - r) / lDelta;
      } else {
        nTemp = 4 + (r - g) / lDelta;
      }
      double h = nTemp * 60;
      if (h < 0) h += 360;
      out.hue = h;
    }
  }
  return out;
}

std::optional<std::array<double, 3>> hsbToRgb(std::optional<double> hue,
                                              std::optional<double> saturation,
                                              double brightness) {
  // Black converts to a NIL saturation: read as 0, a grey.
  double s = saturation.value_or(0);
  if (!(s > 0)) {
    double grey = brightness * 255 / 100;
    return std::array<double, 3>{grey, grey, grey};
  }
  double nH = hue.value_or(0) / 60, nL = brightness / 100, nS = s / 100;
  double lH = std::trunc(nH), nF = nH - lH;
  double nP = nL * (1 - nS), nQ = nL * (1 - nS * nF), nT = nL * (1 - nS * (1 - nF));
  std::array<double, 3> f;
  if (lH == 0) {
    f = {nL, nT, nP};
  } else if (lH == 1) {
    f = {nQ, nL, nP};
  } else if (lH == 2) {
    f = {nP, nL, nT};
  } else if (lH == 3) {
    f = {nP, nQ, nL};
  } else if (lH == 4) {
    f = {nT, nP, nL};
  } else if (lH == 5) {
    f = {nL, nP, nQ};
  } else {
    return std::nullopt;
  }
  return std::array<double, 3>{f[0] * 255, f[1] * 255, f[2] * 255};
}

Value RGBToHSB(const Value& aRGB) {
  if (!aRGB.isArray() || aRGB.length() < 3 || !aRGB.element(1).isNumber() ||
      !aRGB.element(2).isNumber() || !aRGB.element(3).isNumber()) {
    raiseConversionError("RGBToHSB", aRGB, "The argument must be an RGB triple of numbers");
    return {};
  }
  Hsb h = rgbToHsb(aRGB.element(1).number(), aRGB.element(2).number(), aRGB.element(3).number());
  return Value::array({orNil(h.hue), orNil(h.saturation), h.brightness});
}

Value HSBToRGB(const Value& aHSB) {
  Value h = aHSB.element(1), s = aHSB.element(2), l = aHSB.element(3);
  if (!aHSB.isArray() || aHSB.length() < 3 || !l.isNumber() || !(s.isNil() || s.isNumber())) {
    raiseConversionError("HSBToRGB", aHSB,
                         "The argument must be an HSB triple: brightness and saturation numbers");
    return {};
  }
  bool grey = !(s.isNumber() && s.number() > 0);
  if (!grey && !h.isNumber()) {
    raiseConversionError("HSBToRGB", aHSB, "A colour with a saturation needs a hue number");
    return {};
  }
  auto rgb = hsbToRgb(h.isNumber() ? std::optional<double>(h.number()) : std::nullopt,
                      s.isNumber() ? std::optional<double>(s.number()) : std::nullopt,
                      l.number());
  if (!rgb) return Value::array({Value(), Value(), Value()});
  return Value::array({(*rgb)[0], (*rgb)[1], (*rgb)[2]});
}

}  // namespace qv
