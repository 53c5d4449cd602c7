// The grammar of the report's "DeviceInfo" section, one home for its writer
// and its readers: the section header, the headers of its blocks and mode
// records, and the field table of the capability block (every D3DCAPS8 field
// in writing order, how it is written and, for flag masks, the table that
// names its bits).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaSDK {
namespace DX8 {

// The section header: the title between two rules, then an empty line; with
// CR LF line ends, as the report file has it, 58 bytes.
inline constexpr std::string_view kSectionRule = "--------------------";
inline constexpr std::string_view kSectionTitle = "DeviceInfo";
inline std::string SectionHeader(std::string_view lineEnd) {
  std::string header;
  for (const std::string_view line : {kSectionRule, kSectionTitle, kSectionRule, std::string_view()}) {
    header.append(line).append(lineEnd);
  }
  return header;
}

// The header line of an adapter's identifier block.
inline constexpr std::string_view kDeviceInfoHeader = "< Device Info >";

// The header line of a mode record: "***** D3DDEVTYPE_HAL Window Mode Info *****".
inline constexpr std::string_view kModeInfoPrefix = "***** ";
inline constexpr std::string_view kModeInfoSuffix = " Mode Info *****";
inline constexpr std::string_view ModeInfoPresentation(bool windowed) {
  return windowed ? " Window" : " FullScreen";
}
inline std::string ModeInfoHeader(D3DDEVTYPE deviceType, bool windowed) {
  std::string header(kModeInfoPrefix);
  return header.append(GetDevTypeName(deviceType))
      .append(ModeInfoPresentation(windowed))
      .append(kModeInfoSuffix);
}

enum class CapsFieldKind { kDevType, kDecimal, kFloat, kShaderVersion, kFlags };

struct CapsField {
  const char* label;  // the published field name
  std::size_t offset;
  CapsFieldKind kind;
  const CapsFlagName* table;  // kFlags only
  std::size_t count;
};

const std::size_t kCapsFieldCount = 53;
extern const CapsField kCapsFields[kCapsFieldCount];

inline DWORD ReadCapsDword(const D3DCAPS8& caps, std::size_t offset) {
  DWORD value;
  std::memcpy(&value, reinterpret_cast<const char*>(&caps) + offset, sizeof value);
  return value;
}

inline float ReadCapsFloat(const D3DCAPS8& caps, std::size_t offset) {
  float value;
  std::memcpy(&value, reinterpret_cast<const char*>(&caps) + offset, sizeof value);
  return value;
}

}  // namespace DX8
}  // namespace vexaSDK
