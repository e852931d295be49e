// QvpPresSpace: a drawing context bound to one window's device, in that window's pixels
// (y up, origin at the lower-left corner). It keeps the current attributes (colours,
// line, marker, area and string attributes, font, draw mode), the current position for
// lines, and the last error. It can record every primitive it receives (a trace).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/colours.h"
#include "platform/draw/device.h"
#include "platform/draw/geometry.h"
#include "platform/runtime/value.h"

namespace qv {

class QvpFont;
using QvpFontPtr = std::shared_ptr<QvpFont>;

class QvpPresSpace : public Object {
  QV_CLASS(QvpPresSpace, Object)
 public:
  QvpPresSpace();  // prefer New()
  static std::shared_ptr<QvpPresSpace> New();
  // Binds the space to a device; `pageSize` is accepted for the platform's API (the page
  // is the window: one unit is one pixel). A non-device value raises a runtime error.
  QvpPresSpace& Create(const Value& device, const Value& pageSize = {});
  void Destroy();
  bool isCreated() const;
  DevicePtr device() const;

  // Each setter returns the previous value; called without arguments it only queries.
  // Attribute arrays: line {colour, width, type, join}, marker {colour, ...}, area
  // {colour, background, mix, ...} and string {colour, bg, mix, bgmix, box, baseline {x,y},
  // shear, alignment, ...} (12 elements). A NIL element keeps the current attribute; the
  // array returned holds every element's current value.
  Value setColor();                          // {foreground, background}
  Value setColor(const Value& fg);           // returns the previous foreground
  Value setColor(const Value& fg, const Value& bg);
  Value setAttrLine();
  Value setAttrLine(const Value& attrs);
  Value setAttrMarker();
  Value setAttrMarker(const Value& attrs);
  Value setAttrArea();
  Value setAttrArea(const Value& attrs);
  Value setAttrString();
  Value setAttrString(const Value& attrs);
  Value setFont();
  Value setFont(const Value& font);
  // The draw mode is kept and answered (default 1); drawing always paints over what is
  // there. Likewise the line type and join, and the other attribute elements that are
  // not colours, width or baseline, are kept but do not change the drawing.
  Value drawMode();
  Value drawMode(const Value& mode);
  Value lastError() const;  // 0 when the last operation succeeded

  // The colours in force for the next primitive. The later of setColor and setAttrLine
  // colours the next line or arc, the later of setColor and setAttrArea the next fill;
  // setColor and setAttrString both colour text, the later one wins. Codes resolve
  // against the device's backdrop (colours.h). Wrongly typed values raise a runtime
  // error, keep the attribute and set lastError() to the error's generic code.
  double lineColour() const;
  double areaColour() const;
  double stringColour() const;
  Point baseline() const;  // {x, y} direction of text, default {1, 0}
  double lineWidth() const;  // line attribute element 2, in pixels; 1 unless set
  QvpFontPtr currentFont() const;
  Point currentPosition() const;
  void setCurrentPosition(Point p);

  // Trace: while recording, each primitive appends one line. Numbers are written by
  // traceNumber(): whole numbers in full (so packed colours such as 16777471 stay exact),
  // others with up to 6 significant digits ("%g"); points as {x,y}:
  //   "color FG"                      (setColor, foreground given)  "color FG BG"
  //   "line {x1,y1} {x2,y2} C"        GRALINE with the resolved start and the colour value
  //   "arc {cx,cy} R START SWEEP C"   GRAARC
  //   "box {x1,y1} {x2,y2} STYLE HR VR LINE AREA"
  //   "string {x,y} \"TEXT\" C {bx,by}"
  //   "bitmap {tx1,ty1,tx2,ty2} {sx1,sy1,sx2,sy2}"
  void startTrace();
  std::vector<std::string> stopTrace();
  bool tracing() const;
  void traceLine(std::string line);

  // For the primitives: a Cairo context on the device's back buffer, clipped to the
  // window, antialiasing off, or null when the space is not created (or its device has no
  // surface). Its user space is the window's: {x, y} with y up, whole numbers at pixel
  // centres (deviceX/deviceY). endDrawing marks the changed pixels (device rectangle)
  // dirty.
  std::shared_ptr<cairo_t> beginDrawing();
  void endDrawing(const DeviceRect& dirty);
  double backdrop() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};
using QvpPresSpacePtr = std::shared_ptr<QvpPresSpace>;

// Number and point text as the trace writes them.
std::string traceNumber(double n);
std::string tracePoint(Point p);

// Implemented by objects that own a presentation space of their own (windows); the
// attribute helpers use it to reach the application window's space.
class PresSpaceSource {
 public:
  virtual ~PresSpaceSource() = default;
  virtual QvpPresSpacePtr presSpace() = 0;
};

}  // namespace qv
