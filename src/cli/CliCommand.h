#pragma once
// The commands of korvane-cli. Each command file defines one CliCommand object
// at namespace scope; it adds itself to the table that main() dispatches on.

#include <string>
#include <vector>

namespace korvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;

struct CliArgs {
  std::vector<std::string> operands;  // the command's own arguments, options included
  bool json = false;                  // --json was given
};

using CliHandler = int (*)(CliArgs& args);

// Whether a command reads or writes the registry. Only such a command checks
// the registry chosen (a store and a prefix together, a prefix that cannot be
// read) and refuses to run without a usable one; the others run whatever
// WINEPREFIX names, so a shell set up for Wine never stops them.
enum class RegistryUse { Uses, None };

struct CliCommand {
  CliCommand(const char* name, const char* usage, CliHandler handler, RegistryUse registry = RegistryUse::Uses);
  const char* name;
  const char* usage;
  CliHandler handler;
  RegistryUse registry;
};

const std::vector<const CliCommand*>& Commands();

// One clear line on standard error; returns the code to exit with.
int Fail(int code, const std::string& message);
int UsageError(const std::string& message);
// True when a file or folder exists at path.
bool PathExists(const std::string& path);

}  // namespace korvane::cli
