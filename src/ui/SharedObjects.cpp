#include "ui/SharedObjects.h"

#include "app/basMain.h"
#include "platform/Process.h"

namespace korvane::ui {

clsRegistrator* RunningRegistrator() {
  basMain* app = CurrentApplication();
  return app ? app->oRegistrator() : nullptr;
}

clsActiveX* RunningInspector() {
  basMain* app = CurrentApplication();
  return app ? app->oActiveX() : nullptr;
}

std::string RunningAppPath() {
  basMain* app = CurrentApplication();
  if (app && !app->AppPath().empty()) return app->AppPath();
  return platform::AppPath();
}

}  // namespace korvane::ui
