#pragma once
// Registers and unregisters COM servers: in process through the library's own
// entry points, out of process by starting the program with /regserver or
// /unregserver. RegisterActiveX/UnRegisterActiveX report the outcome in a box.

#include <cstdint>
#include <optional>
#include <string>

#include "diagnosis/Diagnosis.h"

namespace korvane {

class clsRegistrator {
 public:
  std::int32_t Register(std::string p_sFileName);
  std::int32_t UnRegister(std::string p_sFileName);
  void RegisterActiveX(const std::string& sFile);
  void UnRegisterActiveX(const std::string& sFile);

  // What one registration request did, without showing anything.
  struct Result {
    bool outOfProcess = false;   // a program file, started through the shell
    bool started = false;        // out of process: the program could be started
    std::string commandLine;     // out of process: what was started
    std::int32_t outcome = 0;    // in process: the outcome code; out of process
                                 // and not started: LoadFailed
    std::string detail;          // why it could not be attempted (Wine prefix), else ""
    // Why, for LoadFailed and EntryPointMissing only (never computed otherwise).
    std::optional<diagnosis::Diagnosis> diagnosis;
  };
  static Result Perform(const std::string& sFile, bool unregister);
  // The message a Result shows (nullptr for none) and its icon.
  static const char* MessageOf(const Result& result);

 private:
  void RegisterOrUnregisterActiveX(const std::string& sFile, bool unregister);
};

// True when the path names a program file: its extension is .exe in any case.
bool IsProgramFile(const std::string& path);

}  // namespace korvane
