#include "cli/CliCommand.h"

#include <cstdio>

#include "platform/FileSystem.h"

namespace korvane::cli {

namespace {
std::vector<const CliCommand*>& Table() {
  static std::vector<const CliCommand*> table;
  return table;
}
}  // namespace

CliCommand::CliCommand(const char* n, const char* u, CliHandler h, RegistryUse r)
    : name(n), usage(u), handler(h), registry(r) {
  Table().push_back(this);
}

const std::vector<const CliCommand*>& Commands() { return Table(); }

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "korvane-cli: %s\n", message.c_str());
  return code;
}

int UsageError(const std::string& message) { return Fail(kExitUsage, message); }

bool PathExists(const std::string& path) {
  return platform::GetFileKind(path) != platform::FileKind::Missing;
}

}  // namespace korvane::cli
