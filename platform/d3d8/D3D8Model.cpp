// The IDirect3D8 object over a runtime model. Each method checks its
// arguments as the runtime does, counts and records the call, asks the
// failure hook, then answers from the model. A failing call leaves garbage in
// its out-parameters, as a driver may, so a caller that reads them anyway
// shows.
#include "platform/D3D8Model.h"

#include <cstdint>

#include "internal/ModelDevice.h"
#include "platform/internal/ComObject.h"

namespace platform {
namespace d3d8 {
namespace {

class CModelDirect3D8 final : public internal::CComObject<IDirect3D8> {
 public:
  explicit CModelDirect3D8(const std::shared_ptr<CRuntimeModel>& model) : model_(model) {
    ++model_->live[static_cast<std::size_t>(Object::kDirect3D)];
  }
  ~CModelDirect3D8() override { --model_->live[static_cast<std::size_t>(Object::kDirect3D)]; }

  const std::shared_ptr<CRuntimeModel>& Model() const { return model_; }

  HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override {
    return Begin(Call::kRegisterSoftwareDevice, 0, RecordedCall{}, D3DERR_INVALIDCALL);
  }

  // A count has no result code; failing, it is a runtime that sees no adapter.
  UINT STDMETHODCALLTYPE GetAdapterCount() override {
    if (Begin(Call::kGetAdapterCount, 0, RecordedCall{}) != D3D_OK) return 0;
    return static_cast<UINT>(model_->adapters.size());
  }

  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                 D3DADAPTER_IDENTIFIER8* identifier) override {
    RecordedCall call = {};
    call.value = flags;
    if (HRESULT hr = Begin(Call::kGetAdapterIdentifier, adapter, call)) return Finish(hr, identifier);
    if (identifier == nullptr || (flags & ~static_cast<DWORD>(D3DENUM_NO_WHQL_LEVEL)) != 0)
      return Finish(D3DERR_INVALIDCALL, identifier);
    *identifier = model_->adapters[adapter].identifier;
    if (flags & D3DENUM_NO_WHQL_LEVEL) identifier->WHQLLevel = 0;
    return D3D_OK;
  }

  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override {
    if (Begin(Call::kGetAdapterModeCount, adapter, RecordedCall{}) != D3D_OK) return 0;
    return static_cast<UINT>(model_->adapters[adapter].modes.size());
  }

  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
    RecordedCall call = {};
    call.value = mode;
    if (HRESULT hr = Begin(Call::kEnumAdapterModes, adapter, call, D3D_OK, mode))
      return Finish(hr, displayMode);
    const std::vector<D3DDISPLAYMODE>& modes = model_->adapters[adapter].modes;
    if (displayMode == nullptr || mode >= modes.size()) return Finish(D3DERR_INVALIDCALL, displayMode);
    *displayMode = modes[mode];
    return D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
    if (HRESULT hr = Begin(Call::kGetAdapterDisplayMode, adapter, RecordedCall{}))
      return Finish(hr, displayMode);
    if (displayMode == nullptr) return D3DERR_INVALIDCALL;
    *displayMode = model_->adapters[adapter].current;
    return D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                            D3DFORMAT backBufferFormat, BOOL windowed) override {
    const RecordedCall call = {
        Call::kCheckDeviceType, adapter, type, displayFormat, backBufferFormat, D3DFMT_UNKNOWN, 0,
        D3DRTYPE_SURFACE,       windowed};
    const DeviceTypeModel* device = nullptr;
    if (HRESULT hr = BeginDevice(call, device)) return hr;
    // A window shares the desktop: only its current format can be the display format.
    if (windowed && displayFormat != model_->adapters[adapter].current.Format) return D3DERR_NOTAVAILABLE;
    return device->deviceTypes.count({displayFormat, backBufferFormat}) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                              DWORD usage, D3DRESOURCETYPE resourceType,
                                              D3DFORMAT checkFormat) override {
    const RecordedCall call = {Call::kCheckDeviceFormat, adapter, type,         adapterFormat, checkFormat,
                               D3DFMT_UNKNOWN,           usage,   resourceType, FALSE};
    const DeviceTypeModel* device = nullptr;
    if (HRESULT hr = BeginDevice(call, device)) return hr;
    if (!IsDisplayFormat(*device, adapterFormat)) return D3DERR_INVALIDCALL;
    return device->formats.count({usage, resourceType, checkFormat}) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                                       BOOL windowed,
                                                       D3DMULTISAMPLE_TYPE multiSample) override {
    const RecordedCall call = {Call::kCheckDeviceMultiSampleType,
                               adapter,
                               type,
                               surfaceFormat,
                               D3DFMT_UNKNOWN,
                               D3DFMT_UNKNOWN,
                               static_cast<DWORD>(multiSample),
                               D3DRTYPE_SURFACE,
                               windowed};
    const DeviceTypeModel* device = nullptr;
    if (HRESULT hr = BeginDevice(call, device)) return hr;
    if (static_cast<DWORD>(multiSample) > 16) return D3DERR_INVALIDCALL;
    return device->multiSamples.count({surfaceFormat, windowed ? TRUE : FALSE, multiSample})
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  }

  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                   D3DFORMAT renderTargetFormat,
                                                   D3DFORMAT depthStencilFormat) override {
    const RecordedCall call = {Call::kCheckDepthStencilMatch,
                               adapter,
                               type,
                               adapterFormat,
                               renderTargetFormat,
                               depthStencilFormat,
                               0,
                               D3DRTYPE_SURFACE,
                               FALSE};
    const DeviceTypeModel* device = nullptr;
    if (HRESULT hr = BeginDevice(call, device)) return hr;
    if (!IsDisplayFormat(*device, adapterFormat)) return D3DERR_INVALIDCALL;
    return device->depthStencilMismatches.count({renderTargetFormat, depthStencilFormat})
               ? D3DERR_NOTAVAILABLE
               : D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
    const RecordedCall call = {
        Call::kGetDeviceCaps, adapter, type, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, 0,
        D3DRTYPE_SURFACE,     FALSE};
    const DeviceTypeModel* device = nullptr;
    if (HRESULT hr = BeginDevice(call, device)) return Finish(hr, caps);
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    *caps = device->caps;
    return D3D_OK;
  }

  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override {
    if (Begin(Call::kGetAdapterMonitor, adapter, RecordedCall{}) != D3D_OK) return nullptr;
    return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10001 + adapter));
  }

  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                                         D3DPRESENT_PARAMETERS* parameters,
                                         IDirect3DDevice8** device) override {
    if (device != nullptr) *device = nullptr;
    const RecordedCall call = {
        Call::kCreateDevice, adapter, type, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, behavior,
        D3DRTYPE_SURFACE,    FALSE};
    const DeviceTypeModel* model = nullptr;
    if (HRESULT hr = BeginDevice(call, model)) return hr;
    if (device == nullptr || parameters == nullptr) return D3DERR_INVALIDCALL;
    if (HRESULT hr = CheckDeviceCreation(model_->adapters[adapter], *model, window, behavior, *parameters)) {
      return hr;
    }
    if (!model_->createDevice) return D3DERR_NOTAVAILABLE;
    return model_->createDevice(this, adapter, type, window, behavior, parameters, device);
  }

 private:
  // Counts and records the call, checks the adapter, asks the failure hook.
  HRESULT Begin(Call kind, UINT adapter, RecordedCall call, HRESULT valid = D3D_OK, UINT index = 0) {
    ++model_->counts[static_cast<std::size_t>(kind)];
    call.call = kind;
    call.adapter = adapter;
    if (model_->recording != nullptr) model_->recording->push_back(call);
    if (kind != Call::kGetAdapterCount && kind != Call::kRegisterSoftwareDevice &&
        adapter >= model_->adapters.size()) {
      return D3DERR_INVALIDCALL;
    }
    if (model_->fail) {
      const HRESULT hr = model_->fail(kind, adapter, index);
      if (FAILED(hr)) return hr;
    }
    return valid;
  }

  HRESULT BeginDevice(const RecordedCall& call, const DeviceTypeModel*& device) {
    if (HRESULT hr = Begin(call.call, call.adapter, call)) return hr;
    const AdapterModel& adapter = model_->adapters[call.adapter];
    switch (call.deviceType) {
      case D3DDEVTYPE_HAL:
        device = &adapter.hal;
        break;
      case D3DDEVTYPE_REF:
        device = &adapter.ref;
        break;
      default:
        return D3DERR_INVALIDCALL;
    }
    return device->available ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  static bool IsDisplayFormat(const DeviceTypeModel& device, D3DFORMAT format) {
    for (const auto& pair : device.deviceTypes) {
      if (pair.first == format) return true;
    }
    return false;
  }

  std::shared_ptr<CRuntimeModel> model_;
};

// Behaviour flags the runtime knows; 0x100 disables driver management.
const DWORD kKnownBehavior = D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED | D3DCREATE_PUREDEVICE |
                             D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                             D3DCREATE_MIXED_VERTEXPROCESSING | 0x100;
const UINT kMaxBackBuffers = 3;

D3DFORMAT BackBufferFormat(const D3DPRESENT_PARAMETERS& parameters, const D3DDISPLAYMODE& mode) {
  return parameters.Windowed && parameters.BackBufferFormat == D3DFMT_UNKNOWN ? mode.Format
                                                                              : parameters.BackBufferFormat;
}

}  // namespace

IDirect3D8* CreateDirect3D8(const std::shared_ptr<CRuntimeModel>& model) {
  return new CModelDirect3D8(model);
}

std::shared_ptr<CRuntimeModel> ModelOf(IDirect3D8* direct3D) {
  const CModelDirect3D8* object = dynamic_cast<const CModelDirect3D8*>(direct3D);
  return object != nullptr ? object->Model() : nullptr;
}

HRESULT CheckDeviceCreation(const AdapterModel& adapter, const DeviceTypeModel& device, HWND window,
                            DWORD behavior, const D3DPRESENT_PARAMETERS& p) {
  const DWORD processing =
      behavior & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                  D3DCREATE_MIXED_VERTEXPROCESSING);
  if ((behavior & ~kKnownBehavior) != 0) return D3DERR_INVALIDCALL;
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_HARDWARE_VERTEXPROCESSING && processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      (device.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) == 0) {
    return D3DERR_INVALIDCALL;
  }
  if ((behavior & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  // A windowed device may take its window from the parameters; full screen
  // needs the focus window.
  if (window == nullptr && (!p.Windowed || p.hDeviceWindow == nullptr)) return D3DERR_INVALIDCALL;
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
    return D3DERR_INVALIDCALL;
  if (p.BackBufferCount > kMaxBackBuffers) return D3DERR_INVALIDCALL;
  if (p.SwapEffect != D3DSWAPEFFECT_DISCARD && p.SwapEffect != D3DSWAPEFFECT_FLIP && p.BackBufferCount > 1) {
    return D3DERR_INVALIDCALL;
  }
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE && p.SwapEffect != D3DSWAPEFFECT_DISCARD) {
    return D3DERR_INVALIDCALL;
  }
  if (p.Windowed && (p.FullScreen_RefreshRateInHz != 0 || p.FullScreen_PresentationInterval != 0)) {
    return D3DERR_INVALIDCALL;
  }
  D3DDISPLAYMODE mode;
  if (!DeviceDisplayMode(adapter, device, p, mode))
    return p.Windowed ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
  const D3DFORMAT backBuffer = BackBufferFormat(p, mode);
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE &&
      device.multiSamples.count({backBuffer, p.Windowed ? TRUE : FALSE, p.MultiSampleType}) == 0) {
    return D3DERR_NOTAVAILABLE;
  }
  if (p.EnableAutoDepthStencil &&
      (device.formats.count({D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, p.AutoDepthStencilFormat}) == 0 ||
       device.depthStencilMismatches.count({backBuffer, p.AutoDepthStencilFormat}) != 0)) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

bool DeviceDisplayMode(const AdapterModel& adapter, const DeviceTypeModel& device,
                       const D3DPRESENT_PARAMETERS& p, D3DDISPLAYMODE& mode) {
  if (p.Windowed) {
    mode = adapter.current;
    return device.deviceTypes.count({mode.Format, BackBufferFormat(p, mode)}) != 0;
  }
  for (const D3DDISPLAYMODE& candidate : adapter.modes) {
    if (candidate.Width == p.BackBufferWidth && candidate.Height == p.BackBufferHeight &&
        (p.FullScreen_RefreshRateInHz == 0 || candidate.RefreshRate == p.FullScreen_RefreshRateInHz) &&
        device.deviceTypes.count({candidate.Format, p.BackBufferFormat}) != 0) {
      mode = candidate;
      return true;
    }
  }
  return false;
}

HRESULT Replay(IDirect3D8* d3d, const RecordedCall& c) {
  switch (c.call) {
    case Call::kGetAdapterCount:
      return static_cast<HRESULT>(d3d->GetAdapterCount());
    case Call::kGetAdapterIdentifier: {
      D3DADAPTER_IDENTIFIER8 identifier;
      return d3d->GetAdapterIdentifier(c.adapter, c.value, &identifier);
    }
    case Call::kGetAdapterModeCount:
      return static_cast<HRESULT>(d3d->GetAdapterModeCount(c.adapter));
    case Call::kEnumAdapterModes: {
      D3DDISPLAYMODE mode;
      return d3d->EnumAdapterModes(c.adapter, c.value, &mode);
    }
    case Call::kGetAdapterDisplayMode: {
      D3DDISPLAYMODE mode;
      return d3d->GetAdapterDisplayMode(c.adapter, &mode);
    }
    case Call::kCheckDeviceType:
      return d3d->CheckDeviceType(c.adapter, c.deviceType, c.first, c.second, c.windowed);
    case Call::kCheckDeviceFormat:
      return d3d->CheckDeviceFormat(c.adapter, c.deviceType, c.first, c.value, c.resourceType, c.second);
    case Call::kCheckDeviceMultiSampleType:
      return d3d->CheckDeviceMultiSampleType(c.adapter, c.deviceType, c.first, c.windowed,
                                             static_cast<D3DMULTISAMPLE_TYPE>(c.value));
    case Call::kCheckDepthStencilMatch:
      return d3d->CheckDepthStencilMatch(c.adapter, c.deviceType, c.first, c.second, c.third);
    case Call::kGetDeviceCaps: {
      D3DCAPS8 caps;
      return d3d->GetDeviceCaps(c.adapter, c.deviceType, &caps);
    }
    default:
      return E_NOTIMPL;
  }
}

}  // namespace d3d8
}  // namespace platform
