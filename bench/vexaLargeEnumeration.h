// The large enumeration the benchmarks write and read: every flag, every
// table full, many display modes.
#pragma once

#include <cstring>
#include <vector>

#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"

namespace vexaBench {

using vexaSDK::DX8::FormatTableKind;
using vexaSDK::DX8::kFormatTableCount;
using vexaSDK::DX8::testkit::CTestEnumMode;

inline D3DCAPS8 BusyCaps() {
  D3DCAPS8 caps;
  std::memset(&caps, 0xFF, sizeof caps);
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -8192.0f;
  caps.MaxPointSize = 64.0f;
  caps.MaxPixelShaderValue = 0.0001f;
  return caps;
}

// 4 adapters, `modes` display modes per record, every table full.
inline CTestEnumMode LargeEnumeration(UINT modes = 300) {
  const D3DFORMAT displays[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
  std::vector<D3DFORMAT> all(32);
  for (int i = 0; i < 32; ++i) all[i] = static_cast<D3DFORMAT>(20 + i);
  const std::vector<D3DFORMAT> depth = {D3DFMT_D16_LOCKABLE, D3DFMT_D32,   D3DFMT_D15S1,  D3DFMT_D24S8,
                                        D3DFMT_D16,          D3DFMT_D24X8, D3DFMT_D24X4S4};
  std::vector<D3DMULTISAMPLE_TYPE> samples = {D3DMULTISAMPLE_NONE};
  for (int t = 2; t <= 16; ++t) samples.push_back(static_cast<D3DMULTISAMPLE_TYPE>(t));

  CTestEnumMode enumeration;
  for (UINT adapter = 0; adapter < 4; ++adapter) {
    D3DADAPTER_IDENTIFIER8 id = {};
    std::strcpy(id.Description, "Benchmark Graphics Adapter");
    std::strcpy(id.Driver, "bench.dll");
    id.DriverVersion.HighPart = (6 << 16) | 14;
    id.DriverVersion.LowPart = (10 << 16) | 6545;
    id.VendorId = 0x10DE;
    id.DeviceId = 0x0322 + adapter;
    id.SubSysId = 0x80A31043;
    id.Revision = 161;
    id.DeviceIdentifier = {0xD7B71E3E, 0x4062, 0x11CF, {0x63, 0x4E, 0xA1, 0x05, 0x1B, 0xC2, 0xDA, 0x35}};
    id.WHQLLevel = 1;
    std::vector<vexaSDK::DX8::CModeInfo> records;
    for (int r = 0; r < 4; ++r) {
      vexaSDK::DX8::testkit::CTestModeInfo record(adapter, r < 2 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, r % 2,
                                                  id);
      record.Caps(BusyCaps());
      for (D3DFORMAT display : displays) {
        for (D3DFORMAT back : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
          record.MultiSample(display, back, samples).DepthStencil(display, back, depth);
        }
        for (int kind = 0; kind < kFormatTableCount; ++kind) {
          record.Formats(static_cast<FormatTableKind>(kind), display, all);
        }
      }
      for (UINT m = 0; m < modes; ++m) {
        record.Mode(640 + 16 * (m % 75), 480 + 8 * (m / 75), 60 + m % 4 * 15, displays[m % 4],
                    displays[(m + 1) % 4]);
      }
      records.push_back(record);
    }
    enumeration.Adapter(id, records);
  }
  return enumeration;
}

}  // namespace vexaBench
