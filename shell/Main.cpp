// The demo window: builds the colour table, opens the dialog, fills it with the gallery and
// dispatches events until the first close request.
#include <functional>

#include "colour/rgb.h"
#include "platform/gui/app.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {

namespace {
std::function<void(const MainState&)>& mainShownHook() {
  static std::function<void(const MainState&)> hook;
  return hook;
}
}  // namespace

void setMainShownHook(std::function<void(const MainState&)> hook) { mainShownHook() = std::move(hook); }

Value makeColourTable() {
  static constexpr int kTriples[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                         {255, 255, 0}, {0, 255, 255}, {156, 100, 200}, {60, 130, 222}};
  Array colours;
  for (const auto& t : kTriples) colours.push_back(GraMakeRGBColor(Value::array({t[0], t[1], t[2]})));
  return Value::array(std::move(colours));
}

Value btnHandle(const std::shared_ptr<QvpDialog>& oDlg, const Value& aColors, Value& nInc) {
  QV_ROUTINE("btnHandle");
  if (nInc.isNil()) nInc = 0;
  nInc = nInc.number() + 1;
  if (nInc.number() > static_cast<double>(aColors.length())) nInc = 1;
  QV_LINE();
  oDlg->DrawingArea()->SetColorBG(aColors.element(static_cast<std::size_t>(nInc.number())).number());
  return {};
}

Value Main() {
  QV_ROUTINE("Main");
  MainState state;
  state.aColors = makeColourTable();
  state.nInc = 1;

  QV_LINE();
  state.oDlg = New<QvpDialog>(nullptr, nullptr, Value::array({0, 0}), Value::array({800, 600}));
  state.oDlg->title = "A Test In Normal Qv";
  state.oDlg->Sysmenu = true;
  state.oDlg->Create();

  QV_LINE();
  auto oDa = state.oDlg->DrawingArea();
  oDa->SetColorBG(state.aColors.element(static_cast<std::size_t>(state.nInc.number())).number());

  QV_LINE();
  buildGallery(state, oDa);

  state.oDlg->Show();
  ObjectPtr oFocus = SETAPPFOCUS(state.oDlg);
  if (mainShownHook()) mainShownHook()(state);

  Value mp1, mp2;
  ObjectPtr oQVP;
  int nEvent = 0;
  while (nEvent != event::kClose) {
    QV_LINE();
    nEvent = APPEVENT(mp1, mp2, oQVP);
    auto target = std::dynamic_pointer_cast<Window>(oQVP);
    // The queue answers no event and no target only when no event can ever come again
    // (no window left to give input to): waiting on would never end.
    if (!target && nEvent == event::kNone) break;
    if (target) target->handleEvent(nEvent, mp1, mp2);
  }

  QV_LINE();
  SETAPPFOCUS(oFocus);
  state.oDlg->Hide();
  state.oDlg->Destroy();
  return {};
}

}  // namespace qv
