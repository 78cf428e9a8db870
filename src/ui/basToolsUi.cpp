#include "ui/basToolsUi.h"

#include <QWidget>

#include "common/CarryOn.h"
#include "ui/Command.h"

namespace korvane::ui {

void SetupCommandButtons(QWidget* frm, bool bInitialize, bool bEnabled) {
  if (frm == nullptr) return;
  for (Command* button : frm->findChildren<Command*>()) {
    // A failing button is skipped; the next one is still set up.
    CarryOn("SetupCommandButtons", [&] {
      if (bInitialize) {
        button->Initialize();
      } else {
        button->SetEnabled(bEnabled);
      }
    });
  }
}

}  // namespace korvane::ui
