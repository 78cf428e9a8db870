#pragma once
// Where the main window finds the running program's shared objects when none
// were handed to it.

#include <string>

namespace korvane {
class clsActiveX;
class clsRegistrator;
}  // namespace korvane

namespace korvane::ui {

clsRegistrator* RunningRegistrator();
clsActiveX* RunningInspector();
std::string RunningAppPath();

}  // namespace korvane::ui
