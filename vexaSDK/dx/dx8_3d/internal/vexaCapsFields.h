// The field table of the capability block: every D3DCAPS8 field in writing
// order, how it is written and, for flag masks, the table that names its bits.
// The writer walks it; tools that have to reproduce the block read the same.
#pragma once

#include <cstddef>
#include <cstring>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

namespace vexaSDK {
namespace DX8 {
namespace internal {

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

}  // namespace internal
}  // namespace DX8
}  // namespace vexaSDK
