// A plain library without self-registration entry points.
#include "ComponentExport.h"

KORVANE_EXPORT int PlainFunction() { return 42; }
