// ActiveText: a ShadowText caption that answers the mouse. Under the pointer it takes a
// hover colour and a shadow, while the left button is held on it a pressed colour without
// shadow, and a completed click runs its Activate callback. It also drops the hover look
// when its dialog loses the input focus. The base of both button classes: they paint
// themselves from IsDown and IsShadow.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "controls/ShadowText.h"

namespace qv {

class ActiveText : public ShadowText {
  QV_CLASS(ActiveText, ShadowText)
 public:
  Value Activate;                        // a callback or NIL; called with NIL, NIL, the control
  std::optional<double> HoverColorFG;    // nullopt until Create fills it (colour code 0)
  std::optional<double> ActivateColorFG; // nullopt until Create fills it (colour code 3)
  double ColorFG = 0;                    // caption colour in the normal state
  double Depth = 5;                      // shadow depth in the hover state
  bool IsShadow = false;                 // the hover state is on

  void Motion(const Value& aPos) override;
  void Init(const WindowArgs& args) override;
  // Makes the window, fills the colour defaults, finds the dialog and hooks its focus
  // loss. A control with no dialog among its ancestors raises a runtime error and stays
  // unhooked.
  void Create() override;
  void lbUp(const Value& aPos) override;
  void lbDown(const Value& aPos) override;
  // Drops the hover state. cPer NIL: called from the dialog's focus loss, which is then
  // passed on to the control hooked before this one. Any other value: a direct call.
  ActiveText& SetOff(const Value& cPer = {});
  // Takes the control out of the dialog's focus-loss chain, then destroys it.
  void Destroy() override;

  static const ControlClass& INITCLASS();

  // Read access to the internal state, for the window layer's users and tests.
  bool isDown() const { return IsDown; }
  std::shared_ptr<QvpDialog> parentDlg() const { return ParentDlg.lock(); }
  const Value& oldKIF() const { return OldKIF; }

 protected:
  bool IsDown = false;
  // Held weakly: the dialog owns its controls, not the other way round.
  std::weak_ptr<QvpDialog> ParentDlg;
  Value OldKIF;

  // Switches off every sibling derived from `className` that shows the hover state, once
  // this control has entered it (the buttons' rule: one hover among siblings).
  // `siblings` is the parent's child list, read before the inherited Motion ran.
  void switchOffSiblings(std::string_view className, const Value& siblings);
  // The parent's child list as an array, or an empty array without a parent.
  Value siblingList() const;

 private:
  void invalidateStaticParent();
  // The callback this control put into the dialog's killInputFocus.
  CallbackPtr installedKIF_;
};

}  // namespace qv
