#pragma once
// The one way to carry on after a step that may fail. Most procedures skip a
// failing step and go on with the next one without telling the user; they do so
// through CarryOn, which records what was skipped: a count that tests read, and
// in debug builds a line on standard error. Everywhere else errors propagate.

#include <cstdint>
#include <exception>
#include <string_view>

namespace korvane {

// Records one skipped step: `where` names the procedure, `what` the failure.
void RecordSkipped(std::string_view where, std::string_view what) noexcept;

// How many steps were skipped in this process so far.
std::uint64_t SkippedSteps() noexcept;

// Runs step(); a failure is recorded and swallowed. Returns whether it succeeded.
template <typename Step>
bool CarryOn(std::string_view where, Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    RecordSkipped(where, e.what());
  } catch (...) {
    RecordSkipped(where, "unknown failure");
  }
  return false;
}

}  // namespace korvane
