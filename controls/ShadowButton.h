// ShadowButton: an ActiveText drawn as a button. A two-tone bevel runs around a body that
// is a rounded box shaded by a brightness gradient ("FANCY") or a plain box, with the
// caption on top. Among the children of one window at most one ShadowButton shows the
// hover state.
#pragma once

#include <string>

#include "controls/ActiveText.h"
#include "platform/draw/geometry.h"

namespace qv {

// The bevel shades of the buttons.
double bevelDarkGrey();   // {125, 125, 125}
double bevelLightGrey();  // {189, 189, 189}

// Two one-pixel rings along the edge of a w x h area with corners of radius r: hue1 on
// the left and top sides, hue2 on the right and bottom; the upper-left corner is hue1, the
// lower-right hue2, the other two split at their diagonals. Leaves colour code 1 as the
// foreground after each ring.
void drawRoundBevel(const Value& ps, Size size, double r, double hue1, double hue2);
// The same with square corners: each ring is one connected path, the colour changing
// between the top and the right side.
void drawRectBevel(const Value& ps, Size size, double hue1, double hue2);

class ShadowButton : public ActiveText {
  QV_CLASS(ShadowButton, ActiveText)
 public:
  double HoverColorBG;      // packed RGB background under the pointer
  double ActivateColorBG;   // packed RGB background while pressed
  std::string Model = "FANCY";  // exactly "FANCY": rounded and shaded; else a plain box
  double ColorBG;           // packed RGB background in the normal state
  bool UseHiLites = true;   // false: no bevel
  double nRadius = 4;       // corner radius of the FANCY box and its bevel

  ShadowButton();

  void Init(const WindowArgs& args) override;
  // Creates the control and takes ShadowRefRGB from HoverColorBG as it is now.
  void Create() override;
  // Bevel, body and caption for the state IsDown and IsShadow show now.
  void Paint() override;
  // The inherited motion handling, then switches off the other ShadowButtons among the
  // siblings once this one shows the hover state.
  void Motion(const Value& aPos) override;
  // The bevel in the two colours: Hue1 left and top, Hue2 right and bottom.
  ShadowButton& Hilite(double Hue1, double Hue2);

  static const ControlClass& INITCLASS();

 protected:
  bool isFancy() const { return Model == "FANCY"; }
};

}  // namespace qv
