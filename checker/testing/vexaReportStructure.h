// Test-only: the grammar of a finished envInfo.txt, so that a test can tell a
// complete report from a truncated or garbled one without knowing what the
// machine reported.
#pragma once

#include <string>

#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaEnvChecker {
namespace testkit {

// The header the tool writes between the diagnostic text and its section:
// 58 bytes in the file.
extern const char kDeviceInfoHeader[];

// What follows the first header in `report`, the "DeviceInfo" section; false
// when there is no header.
bool FindDeviceInfoSection(const std::string& report, std::string& section);

// Empty when `report` is the diagnostic program's text, the header, and a
// whole "DeviceInfo" section: per adapter an identifier block followed by its
// four mode-info sections (hardware, then reference rasteriser, each full
// screen, then windowed; each with its blocks in order: multisample types,
// depth-stencil formats, the seven format tables, the capabilities, the
// display modes), every block closed by its empty line, every line of the
// section ended by CR LF and nothing after the last block. Otherwise the first thing found wrong, with its
// line number in the section.
std::string CheckReportStructure(const std::string& report);

// The device report of `enumeration` as the report file holds it, with CR LF.
std::string DeviceInfoFileText(const vexaSDK::DX8::CDGEnumMode& enumeration);

}  // namespace testkit
}  // namespace vexaEnvChecker
