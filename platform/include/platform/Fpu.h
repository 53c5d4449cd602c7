// The x87 floating-point control word (exception masks, precision, rounding).
// Real on x86 and x86-64; elsewhere a recorded value, so that what is loaded
// reads back the same on every machine.
#pragma once

#include "platform/Win32.h"

namespace platform {

WORD GetFpuControlWord();

// Clears pending exceptions, reinitialises the unit, then loads `word`.
void ResetFpu(WORD word);

}  // namespace platform
