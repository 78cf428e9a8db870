#pragma once
// The desktop program's --help and --version, answered before any window.

namespace korvane {

// "--help" or "--version" as the only argument is printed and answered true;
// any other argument text goes to the dispatcher unchanged.
bool AnsweredInformationRequest(int argc, char** argv);

}  // namespace korvane
