#include "common/UserPort.h"

namespace korvane {

namespace {

class SilentPort final : public UserPort {
 public:
  int MsgBox(const std::string&, int flags, const std::string&) override {
    return DefaultAnswer(flags);
  }
  void DoEvents() override {}
};

SilentPort g_silent;
UserPort* g_port = &g_silent;

}  // namespace

UserPort& User() { return *g_port; }

void SetUserPort(UserPort* port) { g_port = port ? port : &g_silent; }

MsgIcon IconOf(int flags) {
  switch (flags & 0x70) {
    case kMbIconError: return MsgIcon::Error;
    case kMbIconQuestion: return MsgIcon::Question;
    case kMbIconWarning: return MsgIcon::Warning;
    case kMbIconInformation: return MsgIcon::Information;
    default: return MsgIcon::None;
  }
}

const char* IconName(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Error: return "error";
    case MsgIcon::Warning: return "warning";
    case MsgIcon::Information: return "information";
    case MsgIcon::Question: return "question";
    case MsgIcon::None: break;
  }
  return "none";
}

bool HasYesNo(int flags) { return (flags & 0x0F) == kMbYesNo; }

int DefaultAnswer(int flags) {
  if (!HasYesNo(flags)) return kIdOk;
  return (flags & kMbDefaultButton2) ? kIdNo : kIdYes;
}

}  // namespace korvane
