// Test-only builders that put known content into enumeration records, the way
// the enumeration itself would.
#pragma once

#include <utility>
#include <vector>

#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaSDK {
namespace DX8 {
namespace testkit {

class CTestModeInfo : public CModeInfo {
 public:
  CTestModeInfo(UINT adapter, D3DDEVTYPE deviceType, BOOL windowed,
                const D3DADAPTER_IDENTIFIER8& identifier = D3DADAPTER_IDENTIFIER8())
      : CModeInfo(adapter, identifier, deviceType, windowed) {
    caps_.DeviceType = deviceType;
    caps_.AdapterOrdinal = adapter;
  }

  CTestModeInfo& Mode(UINT width, UINT height, UINT refreshRate, D3DFORMAT format, D3DFORMAT backBuffer) {
    displayModes_.emplace_back(width, height, refreshRate, format, backBuffer);
    return *this;
  }
  CTestModeInfo& MultiSample(D3DFORMAT display, D3DFORMAT backBuffer,
                             std::vector<D3DMULTISAMPLE_TYPE> types) {
    multiSamples_[FormatPair(display, backBuffer)] = std::move(types);
    return *this;
  }
  CTestModeInfo& DepthStencil(D3DFORMAT display, D3DFORMAT backBuffer, std::vector<D3DFORMAT> formats) {
    depthStencils_[FormatPair(display, backBuffer)] = std::move(formats);
    return *this;
  }
  CTestModeInfo& Formats(FormatTableKind kind, D3DFORMAT display, std::vector<D3DFORMAT> formats) {
    formats_[kind][display] = std::move(formats);
    return *this;
  }
  CTestModeInfo& Caps(const D3DCAPS8& caps) {
    caps_ = caps;
    return *this;
  }
};

class CTestEnumMode : public CDGEnumMode {
 public:
  // An adapter whose identifier was read, with its four records.
  CTestEnumMode& Adapter(const D3DADAPTER_IDENTIFIER8& identifier, std::vector<CModeInfo> records) {
    identifiers_.push_back(identifier);
    for (CModeInfo& record : records) modeInfos_.push_back(std::move(record));
    return *this;
  }
};

}  // namespace testkit
}  // namespace DX8
}  // namespace vexaSDK
