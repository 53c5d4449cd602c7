// The report file on the user's desktop: where it lies, and the "DeviceInfo"
// section the tool appends to what the diagnostic program wrote.
#pragma once

#include <string>

#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaEnvChecker {

// The desktop folder followed by "envInfo.txt"; the bare name, relative to
// the current folder, when the desktop cannot be determined.
std::string GetReportPath();

// Appends the section header and the device report of `enumeration` to the
// file at `path` (created when missing). Throws the failure text as a string
// literal when the file cannot be opened, or when a write or the closing
// failed, so that a truncated report is never taken for a finished one.
// Failures of the writers themselves pass through unchanged.
void WriteDeviceInfoSection(const std::string& path, const vexaSDK::DX8::CDGEnumMode& enumeration);

}  // namespace vexaEnvChecker
