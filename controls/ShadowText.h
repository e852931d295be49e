// ShadowText: a caption drawn along any angle with a drop shadow in a darker shade of the
// colour behind it. It owns its presentation space and font and can size itself to fit its
// caption. The root of the self-painting controls.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/draw/font.h"
#include "platform/draw/presspace.h"
#include "platform/gui/window.h"
#include "platform/runtime/value.h"

namespace qv {

// The class object of a control class: its name and the class it derives from. A class
// object is built once, on first use; building it first builds its base class's object.
struct ControlClass {
  std::string name;
  const ControlClass* base = nullptr;
  // Walks the chain of class objects, names compared without regard to case.
  bool IsDerivedFrom(std::string_view className) const;
};

// The packed RGB colour `packedRgb` with its HSB brightness lowered by `brightnessDrop`
// percentage points (channels truncated, then clamped by the packer); nullopt when the
// value is not a packed RGB colour.
std::optional<double> darkerShade(double packedRgb, double brightnessDrop);

class ShadowText : public QvpStatic {
  QV_CLASS(ShadowText, QvpStatic)
 public:
  std::string Caption;
  double Angle = 0;           // degrees; the baseline runs along (cos, sin), y up
  double TextColor;           // packed RGB colour or a platform colour code
  double ShadowDepth = 3;     // pixels; 0 draws no shadow, negative puts it up and left
  QvpFontPtr oFont;
  QvpPresSpacePtr oPS;
  std::string DefFont = "8.Arial";
  bool AutoSize = false;      // Paint sizes the control to its caption and shadow
  bool IsAuto = false;        // true only while Paint resizes the control
  bool FirstTime = true;
  std::optional<double> ShadowRefRGB;  // nullopt: the parent's current background

  ShadowText();

  void Init(const WindowArgs& args) override;
  // Makes the window (no background of its own), the presentation space and the default
  // font, and with AutoSize paints once to take the caption's size.
  void Create() override;
  // Draws the shadow and then the caption; nothing else. Also sizes and centres them.
  void Paint() override;
  // Destroys the font, then the presentation space, then the window. Safe before Create
  // and when repeated.
  void Destroy() override;

  // Sets the caption and repaints at once; true.
  bool SetCaption(const std::string& cText);
  // With a font already: reconfigures that same font object and returns its previous
  // compound name (text). Without one: makes the font and returns it (an object). A name
  // the font cannot take raises a runtime error; no font is stored then and NIL is
  // returned. Before Create no presentation space is made: the font waits for Create.
  Value setFontCompoundName(const std::string& cFont);
  // Stores a font the control will use and release; returns the previous one (not released).
  QvpFontPtr SetFont(QvpFontPtr font);

  static const ControlClass& classObject();

 protected:
  // The presentation space on the window's device, made when the window exists.
  void makePresSpace();
  // A repaint this control triggers itself: a virtual Paint(), unless the control is
  // already destroyed.
  void repaint();
  // The colour the shadow is darkened from: ShadowRefRGB, else the parent's background.
  // A value that is not a packed RGB colour is replaced by the colour that actually shows
  // behind the control.
  double shadowReference();
};

}  // namespace qv
