// Shared between the model's IDirect3D8 and its devices: how CreateDevice
// judges its arguments, the way from an IDirect3D8 back to its model, and the
// garbage that failing calls leave behind.
#pragma once

#include <cstring>
#include <memory>

#include "platform/D3D8Model.h"

namespace platform {
namespace d3d8 {

// Garbage in an out-parameter, as a driver may leave it, so that a caller that
// reads it after a failure shows.
template <class T>
void Scribble(T* out) {
  if (out != nullptr) std::memset(static_cast<void*>(out), 0xA5, sizeof(T));
}

// `hr`, with garbage left in `out` when it is a failure.
template <class T>
HRESULT Finish(HRESULT hr, T* out) {
  if (FAILED(hr)) Scribble(out);
  return hr;
}

// The model behind `direct3D`, which must be one made by CreateDirect3D8.
std::shared_ptr<CRuntimeModel> ModelOf(IDirect3D8* direct3D);

// D3D_OK when a device of this adapter and device type can be made with these
// arguments, else the runtime's answer.
HRESULT CheckDeviceCreation(const AdapterModel& adapter, const DeviceTypeModel& device, HWND window,
                            DWORD behavior, const D3DPRESENT_PARAMETERS& parameters);

// The display mode such a device runs in: the desktop's when windowed, else
// the adapter mode that matches the back buffer. False when none does.
bool DeviceDisplayMode(const AdapterModel& adapter, const DeviceTypeModel& device,
                       const D3DPRESENT_PARAMETERS& parameters, D3DDISPLAYMODE& mode);

}  // namespace d3d8
}  // namespace platform
