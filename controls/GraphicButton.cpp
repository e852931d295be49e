// runtime.h comes before any GLib header: GLib defines MAX and MIN as macros.
#include "platform/runtime/runtime.h"

#include "controls/GraphicButton.h"

#include "colour/rgb.h"
#include "controls/ShadowButton.h"
#include "platform/gui/boxes.h"

namespace qv {

void GraphicButton::Init(const WindowArgs& args) {
  ActiveText::Init(args);
  TextColor = rgbColour(155, 155, 155);
  HoverColorFG = rgbColour(0, 0, 0);
  ActivateColorFG = rgbColour(0, 255, 0);
  UseHiLites = true;
  GraphicFile = "";
  ShadowRefRGB = rgbColour(225, 225, 225);
  Type = 5;
}

void GraphicButton::Create() { ActiveText::Create(); }

void GraphicButton::Paint() {
  if (isDestroyed() || !oPS || !oPS->isCreated()) return;
  if (IsDown) {
    Hilite(bevelDarkGrey(), bevelLightGrey());
  } else if (IsShadow) {
    Hilite(bevelLightGrey(), bevelDarkGrey());
  } else {
    Hilite(bevelDarkGrey(), bevelLightGrey());
  }
  if (oGraph) {
    const Size s = CurrentSize();
    oGraph->Draw(Value(oPS), Value::array({2, 2, s.w - 2, s.h - 2}),
                 Value::array({0, 0, oGraph->xSize() - 4, oGraph->ySize() - 4}));
  }
  ActiveText::Paint();
}

void GraphicButton::Motion(const Value& aPos) {
  ObjectPtr self = weak_from_this().lock();
  Value siblings = siblingList();
  ActiveText::Motion(aPos);
  if (!IsShadow) return;
  switchOffSiblings("GraphicButton", siblings);
}

GraphicButton& GraphicButton::Hilite(double Hue1, double Hue2) {
  if (!UseHiLites) return *this;
  drawRectBevel(Value(oPS), CurrentSize(), Hue1, Hue2);
  return *this;
}

void GraphicButton::dropPicture() {
  if (!oGraph) return;
  oGraph->Destroy();
  oGraph.reset();
}

GraphicButton& GraphicButton::SetGraphic(const Value& GR) {
  // Handing the button its own picture again keeps it: destroying it first would leave a
  // destroyed bitmap behind.
  if (oGraph && GR.isObject() && GR.object() == oGraph) {
    GraphicFile = "";
    return *this;
  }
  dropPicture();
  if (GR.isText()) {
    GraphicFile = GR;
    if (FILE(GR.text())) {
      oGraph = QvpBitmap::New();
      oGraph->Create();
      // A file that is no readable image leaves an empty picture, which draws nothing.
      (void)oGraph->LoadFile(GR);
    } else {
      MSGBOX("ERROR in GraphicButton no file " + GR.text(), "ERROR");
    }
  } else if (GR.isNumber()) {
    GraphicFile = GR;
    oGraph = QvpBitmap::New();
    oGraph->Create();
    if (!oGraph->Load(Value(), GR)) MSGBOX("ERROR in GraphicButton no resource!", "ERROR");
  } else if (auto bitmap = GR.as<QvpBitmap>(); bitmap && GR.object()->IsDerivedFrom("QvpBitmap")) {
    GraphicFile = "";
    oGraph = bitmap;
  } else {
    MSGBOX("ERROR in GraphicButton no Bitmap!", "ERROR");
  }
  return *this;
}

void GraphicButton::Destroy() {
  dropPicture();
  ActiveText::Destroy();
}

const ControlClass& GraphicButton::INITCLASS() {
  static const ControlClass cls{"GraphicButton", &ActiveText::INITCLASS()};
  return cls;
}

}  // namespace qv
