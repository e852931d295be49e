// The window tree. Only top-level windows (dialogs, message boxes) are native windows;
// the drawing area and every control are regions of their top-level window's back buffer,
// stacked in creation order (a later sibling lies above an earlier one).
//
// Coordinates: {x, y} in pixels, y growing upwards from a window's lower-left corner;
// a child's position is relative to its parent's lower-left corner.
//
// Construction is two-phase: New<T>(args...) makes the object and runs Init with the
// arguments; the caller may then set members and calls Create(), which makes the window.
// Windows must be owned by shared pointers (New<T> does that): the queue and the tree
// refer to them weakly. A parent holds its children; a child's link back is weak.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/device.h"
#include "platform/draw/geometry.h"
#include "platform/draw/presspace.h"
#include "platform/runtime/value.h"

namespace qv {

class Window;
class QvpDialog;
using WindowPtr = std::shared_ptr<Window>;

// Event codes of the platform's queue.
namespace event {
inline constexpr int kNone = 0;
inline constexpr int kMotion = 0x200001;      // mp1 {x, y} in the target's coordinates
inline constexpr int kLbDown = 0x200002;      // mp1 {x, y}
inline constexpr int kLbUp = 0x200003;        // mp1 {x, y}
inline constexpr int kPaint = 0x200010;       // the target is to be repainted
inline constexpr int kKillFocus = 0x200020;   // a top-level window lost the input focus
inline constexpr int kSetFocus = 0x200021;    // a top-level window got the input focus
inline constexpr int kKeyboard = 0x200030;    // mp1 key code (see gui/keys in boxes.h)
inline constexpr int kClose = 1048632;        // a request to close a top-level window
}  // namespace event

// The arguments of the static control's Init and Create, in the platform's order.
struct WindowArgs {
  WindowPtr parent;
  WindowPtr owner;
  Value pos;      // {x, y} or NIL
  Value size;     // {w, h}, NIL or an empty array
  Value pp;       // presentation parameters
  Value visible;  // logical or NIL (visible)
};

class Window : public Object, public PresSpaceSource {
  QV_CLASS(Window, Object)
 public:
  Window();
  ~Window() override;

  // Init stores the arguments (and the parent link); Create makes the window from them.
  // Create raises a runtime error for a window without a parent where one is needed.
  virtual void Init(const WindowArgs& args);
  virtual void Create();
  // Destroys the window and its children; later calls do nothing.
  virtual void Destroy();
  bool isCreated() const;
  bool isDestroyed() const;

  // The window's processing of an event: calls Paint, Motion, lbDown, lbUp or the
  // dialog's close and focus handling. Runs the handler inside a protected block, so that
  // a break out of an error in a handler abandons that one event only.
  virtual void handleEvent(int nEvent, const Value& mp1, const Value& mp2);

  // Callbacks the window layer calls. The defaults do nothing.
  virtual void Paint() {}
  virtual void Motion(const Value& aPos) { (void)aPos; }
  virtual void lbDown(const Value& aPos) { (void)aPos; }
  virtual void lbUp(const Value& aPos) { (void)aPos; }

  // SetColorBG(c) sets the background (a packed RGB colour or a code; -255: none, the
  // parent shows through), queues a repaint and returns the previous one.
  double SetColorBG();
  double SetColorBG(double colour);
  WindowPtr SetParent() const;  // the parent window (a query)
  std::vector<WindowPtr> ChildList() const;
  Value ChildListValue() const;  // the same as an array of objects
  Size CurrentSize() const;
  Point CurrentPos() const;
  // Resizes; the old area (through the parent) and the new one are queued for repaint,
  // and Paint() is called once before it returns, so a control that resizes itself from
  // its own Paint sees that nested call. Returns true.
  bool SetSize(Size s);
  bool SetPos(Point p);
  // Marks the whole window for repainting (a queued paint event).
  void InvalidateRect();
  // Marks the part {x1, y1, x2, y2} of the window (its own coordinates, x2 and y2 not
  // included) for repainting; anything else marks the whole window. The plain statics
  // then repaint that part and the children it touches; other windows repaint whole.
  void InvalidateRect(const Value& aRect);
  // true: mouse events now go to this window, also from outside it. false releases
  // (harmless when not held). Answers false when the capture cannot be had.
  bool CaptureMouse(bool capture);
  bool hasCapture() const;
  DevicePtr WinDevice();
  QvpPresSpacePtr presSpace() override;  // the window's own presentation space
  WindowPtr owner() const;
  bool isVisible() const;
  void Show();
  void Hide();

  // Kind of static control; set before Create. Other windows ignore it.
  double Type = 0;

  // ---- for the window layer ------------------------------------------------------------
  Window* topLevel();                 // the native window this one lies in (or itself)
  DeviceRect deviceRect() const;      // region in the top-level back buffer
  DeviceRect visibleRect() const;     // deviceRect clipped by the ancestors
  // Repaints now: fills the background (unless -255), calls Paint(), then repaints the
  // children in creation order.
  void repaintNow();
  // The same cut to a part (device pixels) for a plain static: the background there and
  // the children that touch it, whole. Other windows repaint whole.
  void repaintPart(DeviceRect part);
  // The child (or this) under a point in this window's coordinates; null outside.
  Window* hitTest(Point p);
  // The same for a pixel of the top-level back buffer (column, row from the top-left).
  Window* hitTestDevice(int col, int row);
  Point toLocal(Point topLevelPoint) const;  // top-level y-up coordinates to this window's
  double backdropColour() const;

 protected:
  // Called after SetSize changed the size of a created window.
  virtual void resized() {}
  // Fills `vis` (device pixels) with the background, unless it is -255.
  void fillBackground(const DeviceRect& vis);

  WindowArgs args_;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  friend class WindowDevice;
  friend struct WindowAccess;
};

// A static control: the drawing area and the custom controls derive from it.
class QvpStatic : public Window {
  QV_CLASS(QvpStatic, Window)
};

// The client area of a dialog, parent of the gallery's controls. Its default background
// is the platform's light grey.
class QvpDrawingArea : public QvpStatic {
  QV_CLASS(QvpDrawingArea, QvpStatic)
};

// A top-level window with a title bar; closing it with the system menu queues kClose.
// Create opens the native window hidden (unless the visible argument is true): callers
// fill it and then call Show(). Its position is the screen position of its lower-left
// corner, y up from the screen's lower-left corner.
class QvpDialog : public Window {
  QV_CLASS(QvpDialog, Window)
 public:
  QvpDialog();
  void Create() override;
  void Destroy() override;
  void handleEvent(int nEvent, const Value& mp1, const Value& mp2) override;
  std::shared_ptr<QvpDrawingArea> DrawingArea() const;
  // The dialog's close processing: NIL or a callback called with (NIL, NIL, the dialog)
  // when a close request reaches the dialog. The dialog is not destroyed by it.
  Value close;

  std::string title;
  bool Sysmenu = true;
  // NIL or a callback called with (NIL, NIL, the dialog) when the dialog loses the focus.
  Value killInputFocus;
  // A native (top-level) window's back buffer, null before Create.
  cairo_surface_t* backBuffer() const;

 protected:
  void resized() override;

 private:
  std::shared_ptr<QvpDrawingArea> drawingArea_;
};

// Makes an object and runs Init, as the platform's `new` on a class object does.
template <class T>
std::shared_ptr<T> New(const WindowPtr& parent = nullptr, const WindowPtr& owner = nullptr,
                       const Value& pos = {}, const Value& size = {}, const Value& pp = {},
                       const Value& visible = {}) {
  auto w = std::make_shared<T>();
  w->Init(WindowArgs{parent, owner, pos, size, pp, visible});
  return w;
}

}  // namespace qv
