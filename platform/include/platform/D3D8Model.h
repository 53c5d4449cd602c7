// A Direct3D 8 runtime made of data: adapters with their identifier and
// display modes, and per device type what the driver accepts. It answers
// through a real IDirect3D8 object, counts every call by kind, and can be told
// to fail any single call. The POSIX host serves a model of its own display
// controllers from Direct3DCreate8; tests on every platform build their own.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "platform/D3D8.h"

namespace platform {
namespace d3d8 {

enum class Call {
  kRegisterSoftwareDevice,
  kGetAdapterCount,
  kGetAdapterIdentifier,
  kGetAdapterModeCount,
  kEnumAdapterModes,
  kGetAdapterDisplayMode,
  kCheckDeviceType,
  kCheckDeviceFormat,
  kCheckDeviceMultiSampleType,
  kCheckDepthStencilMatch,
  kGetDeviceCaps,
  kGetAdapterMonitor,
  kCreateDevice,
  kCount
};

// What one device type of one adapter accepts.
struct DeviceTypeModel {
  // False: CheckDeviceType and GetDeviceCaps answer D3DERR_NOTAVAILABLE and
  // every other check fails, as for a device type the machine does not have.
  bool available = false;
  D3DCAPS8 caps = {};
  // (display format, back-buffer format) pairs; windowed only where the display
  // format is the adapter's current one, as a window shares the desktop.
  std::set<std::pair<D3DFORMAT, D3DFORMAT>> deviceTypes;
  // (surface format, windowed, multisample type).
  std::set<std::tuple<D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE>> multiSamples;
  // (usage, resource type, format), for every display format of deviceTypes.
  std::set<std::tuple<DWORD, D3DRESOURCETYPE, D3DFORMAT>> formats;
  // (render-target format, depth-stencil format) pairs that do not match.
  std::set<std::pair<D3DFORMAT, D3DFORMAT>> depthStencilMismatches;
};

struct AdapterModel {
  D3DADAPTER_IDENTIFIER8 identifier = {};
  std::vector<D3DDISPLAYMODE> modes;
  D3DDISPLAYMODE current = {};
  DeviceTypeModel hal;
  DeviceTypeModel ref;
};

// One call as the runtime received it, for replaying the same work.
struct RecordedCall {
  Call call;
  UINT adapter;
  D3DDEVTYPE deviceType;
  D3DFORMAT first;   // display, adapter or surface format
  D3DFORMAT second;  // back-buffer, checked or render-target format
  D3DFORMAT third;   // depth-stencil format
  DWORD value;       // mode index, usage, flags or multisample type
  D3DRESOURCETYPE resourceType;
  BOOL windowed;
};

class CRuntimeModel {
 public:
  std::vector<AdapterModel> adapters;

  // Consulted before each call; a failing result is returned as the call's
  // own. `index` is the mode index of EnumAdapterModes, else 0.
  std::function<HRESULT(Call call, UINT adapter, UINT index)> fail;

  // CreateDevice's answer; without one it is D3DERR_NOTAVAILABLE.
  std::function<HRESULT(IDirect3D8* direct3D, UINT adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                        D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device)>
      createDevice;

  std::array<unsigned long, static_cast<std::size_t>(Call::kCount)> counts = {};
  unsigned long Count(Call call) const { return counts[static_cast<std::size_t>(call)]; }

  // When set, every call is appended here.
  std::vector<RecordedCall>* recording = nullptr;
};

// A new IDirect3D8 (one reference) answering from `model`.
IDirect3D8* CreateDirect3D8(const std::shared_ptr<CRuntimeModel>& model);

// Replays one recorded call against `direct3D`; the result of the call.
HRESULT Replay(IDirect3D8* direct3D, const RecordedCall& call);

// One display adapter whose hardware device type is missing, and a reference
// rasteriser with the caps and formats of a plausible software renderer.
std::shared_ptr<CRuntimeModel> MakeDefaultModel();

// The reference rasteriser's part of the default model, for building others.
DeviceTypeModel MakeSoftwareRasterizer();

}  // namespace d3d8
}  // namespace platform
