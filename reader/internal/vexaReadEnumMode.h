// Enumeration records filled from a report's text rather than from a runtime:
// the framework's own record types, so that its writers can write them again.
#pragma once

#include <utility>

#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaEnvReader {
namespace internal {

class CReadModeInfo : public vexaSDK::DX8::CModeInfo {
 public:
  CReadModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType, BOOL windowed)
      : CModeInfo(adapter, identifier, deviceType, windowed) {}

  std::vector<vexaSDK::DX8::CDisplayMode>& DisplayModes() { return displayModes_; }
  D3DCAPS8& Caps() { return caps_; }
  vexaSDK::DX8::MultiSampleTable& MultiSamples() { return multiSamples_; }
  vexaSDK::DX8::DepthStencilTable& DepthStencils() { return depthStencils_; }
  vexaSDK::DX8::FormatTable& Formats(int kind) { return formats_[kind]; }
};

class CReadEnumMode : public vexaSDK::DX8::CDGEnumMode {
 public:
  CReadEnumMode() = default;
  std::vector<D3DADAPTER_IDENTIFIER8>& Identifiers() { return identifiers_; }
  void Add(CReadModeInfo&& record) { modeInfos_.push_back(std::move(record)); }
};

}  // namespace internal
}  // namespace vexaEnvReader
