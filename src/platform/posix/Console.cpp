#include "platform/Console.h"

#include <unistd.h>

namespace korvane::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace korvane::platform
