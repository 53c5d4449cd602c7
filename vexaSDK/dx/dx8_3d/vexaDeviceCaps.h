// The "< DeviceCaps >" block of the device report: every field of a D3DCAPS8
// in structure order, flag masks spelled out by their published names.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "platform/D3D8.h"

namespace vexaSDK {
namespace DX8 {

struct CapsFlagName {
  DWORD flag;  // one or more bits; named only when all of them are set
  const char* name;
};

void WriteDeviceCaps(std::ostream& stream, const D3DCAPS8& caps);

// One brace-enclosed group: the label line, a tab-indented line per table entry
// whose bits are all set in `value` (in table order), and the closing brace.
void WriteCapsFlags(std::ostream& stream, DWORD value, const char* label, const CapsFlagName* table,
                    std::size_t count);

// "major.minor" from bits 8-15 and 0-7; the shader-kind marker above is dropped.
std::string FormatShaderVersion(DWORD version);

namespace internal {
class CReportText;
void WriteDeviceCaps(CReportText& text, const D3DCAPS8& caps);
}  // namespace internal

}  // namespace DX8
}  // namespace vexaSDK
