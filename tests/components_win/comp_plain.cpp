// A plain library without self-registration entry points.
#include "ComponentWin.h"

extern "C" int PlainFunction() { return 42; }
