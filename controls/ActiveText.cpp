#include "controls/ActiveText.h"

#include "colour/rgb.h"
#include "platform/draw/colours.h"
#include "platform/draw/geometry.h"
#include "platform/runtime/error.h"

namespace qv {

namespace {

// How many times a refused mouse capture is asked for again before the control enters
// the hover state without it.
constexpr int kCaptureRetries = 5000;

// Keeps a control alive for the rest of a handler: a repaint or a callback may drop the
// last other reference to it.
ObjectPtr keepAlive(Object& o) { return o.weak_from_this().lock(); }

}  // namespace

// States and what moves between them. Normal: both flags false, caption ColorFG, no
// shadow, mouse free. Hover: IsShadow, caption HoverColorFG with shadow Depth, mouse
// captured (when the platform grants it). Pressed: IsDown, caption ActivateColorFG, no
// shadow, capture as it was. A position on column 0 or row 0, or at or past the size,
// counts as outside.
//
//   from             event    where     to
//   normal           Motion   inside    hover (capture, invalidate a static parent)
//   normal           Motion   outside   normal (repainted each time, capture released,
//                                       a static parent invalidated)
//   hover            Motion   inside    hover, nothing done
//   hover            Motion   outside   normal
//   normal or hover  lbDown   -         pressed
//   pressed          lbDown   -         pressed, repainted
//   pressed          Motion   inside    pressed, nothing done
//   pressed          Motion   outside   normal: the press is cancelled
//   pressed          lbUp     -         the hover look with both flags false, mouse
//                                       free; then Activate runs
//   normal or hover  lbUp     -         unchanged, capture released
//   hover            SetOff   -         normal; passed on down the focus-loss chain
//                                       when it came from the dialog
//   normal, pressed  SetOff   -         unchanged
void ActiveText::Motion(const Value& aPos) {
  ObjectPtr self = keepAlive(*this);
  const Size size = CurrentSize();
  const std::optional<Point> p = toPoint(aPos);
  const bool outside = !p || p->x >= size.w || p->y >= size.h || p->x <= 0 || p->y <= 0;

  if (!IsDown) {
    if (outside) {
      TextColor = ColorFG;
      ShadowDepth = 0;
      invalidateStaticParent();
      IsShadow = false;
      repaint();
      CaptureMouse(false);
    } else if (!IsShadow) {
      // The control goes on without the capture when the platform keeps refusing it.
      bool captured = CaptureMouse(true);
      for (int counter = 0; !captured && counter < kCaptureRetries; ++counter) {
        captured = CaptureMouse(true);
      }
      TextColor = HoverColorFG.value_or(colour_code::kHover);
      ShadowDepth = Depth;
      invalidateStaticParent();
      IsShadow = true;
      repaint();
    }
  } else if (outside) {
    TextColor = ColorFG;
    ShadowDepth = 0;
    IsDown = false;
    IsShadow = false;
    repaint();
    CaptureMouse(false);
  }
  ShadowText::Motion(aPos);
}

void ActiveText::Init(const WindowArgs& args) {
  ShadowText::Init(args);
  IsDown = false;
  IsShadow = false;
  TextColor = rgbColour(0, 0, 0);
  ShadowDepth = 0;
  Depth = 5;
}

void ActiveText::Create() {
  ShadowText::Create();
  if (!isCreated()) return;
  if (!HoverColorFG) HoverColorFG = colour_code::kHover;
  if (!ActivateColorFG) ActivateColorFG = colour_code::kActivated;
  ColorFG = TextColor;

  WindowPtr ancestor = SetParent();
  while (ancestor && !ancestor->IsDerivedFrom("QvpDialog")) ancestor = ancestor->SetParent();
  auto dialog = std::dynamic_pointer_cast<QvpDialog>(ancestor);
  if (!dialog) {
    ErrorSpec failure;
    failure.genCode = gen::kGui;
    failure.subSystem = "BASE";
    failure.operation = className() + ":Create";
    failure.description =
        "The control has no dialog among its parent windows; it cannot follow the dialog's "
        "focus loss";
    raiseError(makeError(failure));
    return;
  }
  ParentDlg = dialog;
  OldKIF = dialog->killInputFocus;

  // The dialog may outlive this control. The callback holds the control weakly, and once
  // the control is gone it passes the notification on as if this control had never been
  // hooked.
  std::weak_ptr<Object> weak = weak_from_this();
  Value previous = OldKIF;
  Value hook = Value::callback([weak, previous](std::vector<Value>& args) -> Value {
    if (ObjectPtr obj = weak.lock()) {
      auto* control = static_cast<ActiveText*>(obj.get());
      if (!control->isDestroyed()) {
        control->SetOff();
        return {};
      }
    }
    if (previous.isCallback()) return previous.call(args);
    return {};
  });
  installedKIF_ = hook.callbackPtr();
  dialog->killInputFocus = hook;
}

void ActiveText::lbUp(const Value& aPos) {
  ObjectPtr self = keepAlive(*this);
  CaptureMouse(false);
  if (!IsDown) {
    ShadowText::lbUp(aPos);
    return;
  }
  TextColor = HoverColorFG.value_or(colour_code::kHover);
  ShadowDepth = Depth;
  repaint();  // still pressed during this repaint
  IsDown = false;
  // The callback runs last: it may open a modal box or destroy this control, so nothing
  // of the control is touched after it.
  Value callback = Activate;
  ShadowText::lbUp(aPos);
  if (callback.isCallback()) {
    std::vector<Value> args{Value(), Value(), Value(self)};
    callback.call(args);
  }
}

void ActiveText::lbDown(const Value& aPos) {
  ObjectPtr self = keepAlive(*this);
  TextColor = ActivateColorFG.value_or(colour_code::kActivated);
  ShadowDepth = 0;
  IsDown = true;
  IsShadow = false;
  repaint();
  ShadowText::lbDown(aPos);
}

ActiveText& ActiveText::SetOff(const Value& cPer) {
  if (!IsShadow) return *this;
  ObjectPtr self = keepAlive(*this);
  TextColor = ColorFG;
  ShadowDepth = 0;
  repaint();  // still in the hover state during this repaint
  IsShadow = false;
  CaptureMouse(false);
  if (cPer.isNil() && OldKIF.isCallback()) {
    Value next = OldKIF;
    std::vector<Value> args{Value(), Value(), Value(ParentDlg.lock())};
    next.call(args);
  }
  return *this;
}

void ActiveText::Destroy() {
  if (auto dialog = ParentDlg.lock()) {
    if (installedKIF_ && dialog->killInputFocus.isCallback() &&
        dialog->killInputFocus.callbackPtr() == installedKIF_) {
      dialog->killInputFocus = OldKIF;
    }
  }
  installedKIF_.reset();
  ShadowText::Destroy();
}

const ControlClass& ActiveText::INITCLASS() {
  static const ControlClass cls{"ActiveText", &ShadowText::classObject()};
  return cls;
}

void ActiveText::invalidateStaticParent() {
  WindowPtr parent = SetParent();
  if (!parent || !parent->IsDerivedFrom("QvpStatic")) return;
  // Only the part of the parent under this control can hold its stale drawing (drawing
  // is clipped to the control), so only that part is repainted: a hover change then
  // costs one control, not the whole gallery.
  const Point p = CurrentPos();
  const Size s = CurrentSize();
  parent->InvalidateRect(Value::array({p.x, p.y, p.x + s.w, p.y + s.h}));
}

Value ActiveText::siblingList() const {
  WindowPtr parent = SetParent();
  return parent ? parent->ChildListValue() : Value::arrayOf(0);
}

void ActiveText::switchOffSiblings(std::string_view className, const Value& siblings) {
  for (std::size_t i = 1; i <= siblings.length(); ++i) {
    Value element = siblings.element(i);
    if (!element.isObject() || element.object().get() == this) continue;
    if (!element.object()->IsDerivedFrom(className)) continue;
    auto sibling = element.as<ActiveText>();
    if (sibling && sibling->IsShadow) sibling->SetOff(true);
  }
}

}  // namespace qv
