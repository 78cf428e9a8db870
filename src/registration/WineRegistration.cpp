#include "registration/WineRegistration.h"

#include "formats/PeImports.h"
#include "platform/FileReader.h"
#include "platform/RegistryChoice.h"
#include "platform/WineRunner.h"
#include "registration/RegistrationOutcome.h"

namespace korvane {

namespace {

// The Windows korvane-cli's exit codes that are outcomes (CLI contract).
constexpr int kExitSuccess = 0;
constexpr int kExitThreadNotStarted = 9;

clsRegistrator::Result Refused(std::int32_t outcome, std::string why) {
  clsRegistrator::Result r;
  r.outcome = outcome;
  r.detail = std::move(why);
  return r;
}

// The outcome a Windows korvane-cli exit code stands for; -1 for none.
std::int32_t OutcomeOfExit(int code, bool unregister, bool program) {
  if (code == kExitSuccess) return program ? 0 : unregister ? UnregistrationSucceeded : RegistrationSucceeded;
  if (code == kExitThreadNotStarted) return ThreadNotStarted;
  if (code == LoadFailed || code == EntryPointMissing || code == RegistrationFailed ||
      code == UnregistrationFailed || code == NoFile) {
    return code;
  }
  return -1;
}

}  // namespace

bool WinePrefixChosen() { return !platform::ChosenWinePrefix().empty(); }

formats::Expected<std::uint16_t> ComponentMachine(const std::string& file) {
  // Opened without waiting: a FIFO or device is refused, not read.
  const auto source = platform::OpenFileReader(file);
  if (!source) {
    if (source.error().kind == formats::ErrorKind::kNotRegularFile) {
      return formats::Error{formats::ErrorKind::kCannotOpen, file + " is not a regular file"};
    }
    return formats::Error{formats::ErrorKind::kCannotOpen, "cannot open " + source.error().message};
  }
  return formats::PeMachine(**source);
}

clsRegistrator::Result PerformInWinePrefix(const std::string& file, bool unregister) {
  if (file.empty()) return Refused(NoFile, {});
  const std::string prefix = platform::ChosenWinePrefix();

  const auto machine = ComponentMachine(file);
  if (!machine) {
    const formats::ErrorKind kind = machine.error().kind;
    if (kind == formats::ErrorKind::kCannotOpen) return Refused(LoadFailed, machine.error().message);
    return Refused(LoadFailed, file + " is not a Windows program or library (" +
                                   (kind == formats::ErrorKind::kNotPe ? std::string("no PE header")
                                                                       : machine.error().message) +
                                   ")");
  }

  platform::WindowsArch arch = platform::WindowsArch::X64;
  if (*machine == formats::kMachineI386) {
    arch = platform::WindowsArch::X86;
  } else if (*machine != formats::kMachineAmd64) {
    return Refused(LoadFailed, file + " is built for " + formats::MachineName(*machine) +
                                   ", which Wine cannot run here (x86 and x64 only)");
  }
  if (arch == platform::WindowsArch::X64 && !platform::WinePrefixIs64Bit(prefix)) {
    return Refused(LoadFailed, file + " is a 64-bit component and the Wine prefix " + prefix +
                                   " is a 32-bit one");
  }
  const auto reachable = platform::WindowsPathForWine(prefix, file);
  if (!reachable) return Refused(LoadFailed, reachable.error().message);
  const std::string& windowsPath = *reachable;

  const bool program = IsProgramFile(file);
  platform::WineRunResult run =
      platform::RunWindowsCli(arch, {unregister ? "unregister" : "register", windowsPath});
  if (!run.ran) return Refused(LoadFailed, run.problem);
  const std::int32_t outcome = OutcomeOfExit(run.exitCode, unregister, program);
  if (outcome < 0) {
    std::string why = "the Windows korvane-cli ended with code " + std::to_string(run.exitCode);
    if (!run.errors.empty()) why += ": " + run.errors.substr(0, run.errors.find('\n'));
    return Refused(LoadFailed, why);
  }
  clsRegistrator::Result r;
  r.outcome = outcome;
  if (program) {
    // It prints the command line it started; a failure to start is outcome 1.
    r.outOfProcess = true;
    r.started = outcome == 0;
    r.commandLine = run.output.substr(0, run.output.find('\n'));
    if (!r.started) r.commandLine = windowsPath + (unregister ? " /unregserver" : " /regserver");
  }
  return r;
}

}  // namespace korvane
