// GraphicButton: an ActiveText that shows a picture inside a two-pixel bevel, with the
// caption on top. The picture comes from a file, from the program's resources or from a
// bitmap object handed over; the button owns it. Among the children of one window at most
// one GraphicButton shows the hover state.
#pragma once

#include "controls/ActiveText.h"
#include "platform/draw/bitmap.h"

namespace qv {

class GraphicButton : public ActiveText {
  QV_CLASS(GraphicButton, ActiveText)
 public:
  bool UseHiLites = true;  // false: no bevel
  Value GraphicFile = "";  // the file name or resource number last given; "" for an object
  QvpBitmapPtr oGraph;     // the picture Paint draws, or null

  void Init(const WindowArgs& args) override;
  void Create() override;
  // Bevel, picture (inside the bevel), then the caption.
  void Paint() override;
  // The inherited motion handling, then switches off the other GraphicButtons among the
  // siblings once this one shows the hover state.
  void Motion(const Value& aPos) override;
  // The square two-ring bevel: Hue1 left and top, Hue2 right and bottom.
  GraphicButton& Hilite(double Hue1, double Hue2);
  // Replaces the picture (the previous one is destroyed first, whatever GR is) with a file
  // (text), a resource (number) or a bitmap object, which the button takes over. A missing
  // file or resource, or any other value, is reported in an "ERROR" box. The button's own
  // current picture handed in again is kept. Does not repaint.
  GraphicButton& SetGraphic(const Value& GR);
  // Destroys the picture, then the control.
  void Destroy() override;

  static const ControlClass& INITCLASS();

 private:
  void dropPicture();
};

}  // namespace qv
