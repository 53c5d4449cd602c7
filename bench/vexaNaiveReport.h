// The device report written the naive way, for comparison only: plain
// operator<< on the stream, std::endl where the report flushes, the stream's
// own hexadecimal and floating-point formatting. It has to give the writers'
// bytes and flushes exactly; the benchmark checks that before it times it.
#pragma once

#include <ostream>

#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaBench {

void NaiveWriteDeviceInfo(std::ostream& out, const vexaSDK::DX8::CDGEnumMode& enumeration);

}  // namespace vexaBench
