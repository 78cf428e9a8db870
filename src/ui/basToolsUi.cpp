#include "ui/basToolsUi.h"

#include <QWidget>

#include "ui/Command.h"

namespace korvane::ui {

void SetupCommandButtons(QWidget* frm, bool bInitialize, bool bEnabled) {
  if (frm == nullptr) return;
  for (Command* button : frm->findChildren<Command*>()) {
    try {
      if (bInitialize) {
        button->Initialize();
      } else {
        button->SetEnabled(bEnabled);
      }
    } catch (...) {
      // A failing button is skipped; the next one is still set up.
    }
  }
}

}  // namespace korvane::ui
