#include "registration/clsRegistrator.h"

#include "common/UserPort.h"
#include "diagnosis/DiagnosisText.h"
#include "formats/TextCodec.h"
#include "platform/Shell.h"
#include "platform/Thread.h"
#include "registration/RegistrationOutcome.h"
#include "registration/SelfRegistration.h"
#include "registration/WineRegistration.h"

namespace korvane {

namespace {
constexpr std::uint32_t kServerStartPauseMs = 200;
}

bool IsProgramFile(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.size() < 4) return false;
  return formats::EqualsIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), ".exe");
}

std::int32_t clsRegistrator::Register(std::string p_sFileName) {
  return CallSelfRegistration(p_sFileName, RegistrationDirection::Register);
}

std::int32_t clsRegistrator::UnRegister(std::string p_sFileName) {
  return CallSelfRegistration(p_sFileName, RegistrationDirection::Unregister);
}

namespace {

clsRegistrator::Result PerformWithoutReason(const std::string& sFile, bool unregister) {
  clsRegistrator::Result r;
  if (IsProgramFile(sFile)) {
    const std::string parameters = unregister ? "/unregserver" : "/regserver";
    r.outOfProcess = true;
    r.commandLine = sFile + " " + parameters;
    r.started = platform::ShellExecuteOpen(sFile, parameters);
    r.outcome = r.started ? 0 : LoadFailed;
    return r;
  }
  r.outcome = CallSelfRegistration(
      sFile, unregister ? RegistrationDirection::Unregister : RegistrationDirection::Register);
  return r;
}

}  // namespace

clsRegistrator::Result clsRegistrator::Perform(const std::string& sFile, bool unregister) {
  // In a Wine prefix, Wine's own loader decides; its reason comes back as detail.
  if (WinePrefixChosen()) return PerformInWinePrefix(sFile, unregister);
  Result r = PerformWithoutReason(sFile, unregister);
  if (r.outcome == LoadFailed || r.outcome == EntryPointMissing) {
    r.diagnosis = diagnosis::DiagnoseLoadFailure(sFile);
  }
  return r;
}

const char* clsRegistrator::MessageOf(const Result& result) {
  if (result.outOfProcess && result.started) return nullptr;
  return OutcomeMessage(result.outcome);
}

void clsRegistrator::RegisterOrUnregisterActiveX(const std::string& sFile, bool unregister) {
  Result r = Perform(sFile, unregister);
  if (r.outOfProcess && r.started) {
    // The server runs on its own; give it a moment and keep the window alive.
    platform::Sleep(kServerStartPauseMs);
    DoEvents();
    return;
  }
  if (const char* text = MessageOf(r)) {
    // The outcome's own message, and the reason as a paragraph of its own.
    std::string box = text;
    if (r.diagnosis) box += "\n\n" + diagnosis::DiagnosisText(*r.diagnosis);
    if (!r.detail.empty()) box += "\n\n" + r.detail;
    MsgBox(box, kMbOkOnly + OutcomeIcon(r.outcome), unregister ? kTitleUnregistering : kTitleRegistering);
  }
}

void clsRegistrator::RegisterActiveX(const std::string& sFile) {
  RegisterOrUnregisterActiveX(sFile, false);
}

void clsRegistrator::UnRegisterActiveX(const std::string& sFile) {
  RegisterOrUnregisterActiveX(sFile, true);
}

}  // namespace korvane
