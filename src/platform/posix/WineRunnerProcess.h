#pragma once
// The processes behind RunWindowsCli: Wine's programs run with their output
// captured, and the wait for the prefix's registry files, both keeping the
// waiting thread's window painted (the pump of SetWineWaitPump).

#include <string>
#include <vector>

namespace korvane::platform::posix {

struct CapturedRun {
  bool started = false;
  bool timedOut = false;
  int status = 0;  // as waitpid gives it
  std::string out;
  std::string err;
};

// The program of that name in PATH; "" when there is none.
std::string FindInPath(const std::string& name);

// Runs argv in a process group of its own with the environment changed by
// settings ("NAME=value", replacing the variable), capturing both outputs;
// kills the group when it outlives the timeout.
CapturedRun RunCaptured(const std::vector<std::string>& argv, const std::vector<std::string>& settings,
                        int timeoutSeconds);

// Waits until the prefix's wineserver has saved the registry files after a
// change: until one of them is replaced (the server saves them all at once),
// or the server has ended (it saves them first), but at most one save period
// and a margin. server is the wineserver program ("" when none was found:
// then only the files are watched). Returns how the wait ended, for a
// diagnostic: "saved", "server ended" or "timed out".
std::string WaitForRegistrySave(const std::string& prefix, const std::string& server,
                                const std::vector<std::string>& settings);

// Runs the pump when the calling thread set it.
void PumpWhileWaiting();

}  // namespace korvane::platform::posix
