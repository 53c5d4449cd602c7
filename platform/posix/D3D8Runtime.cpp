// Direct3D 8 on a POSIX host: the runtime model of the host's own display
// controllers behind Direct3DCreate8, and a device over it.
#include <map>
#include <vector>

#include "platform/D3D8Model.h"
#include "platform/internal/ComObject.h"
#include "platform/posix/internal/HostHardware.h"

namespace {

// A device of the model: what it was made with, its caps, render states and
// recorded state blocks.
class CModelDevice final : public platform::internal::CComObject<IDirect3DDevice8> {
 public:
  CModelDevice(IDirect3D8* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation,
               const D3DDISPLAYMODE& mode)
      : direct3D_(direct3D), creation_(creation), mode_(mode) {
    direct3D_->AddRef();
  }
  ~CModelDevice() override { direct3D_->Release(); }

  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return D3D_OK; }
  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** direct3D) override {
    if (direct3D == nullptr) return D3DERR_INVALIDCALL;
    direct3D_->AddRef();
    *direct3D = direct3D_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override {
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    return direct3D_->GetDeviceCaps(creation_.AdapterOrdinal, creation_.DeviceType, caps);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override {
    if (mode == nullptr) return D3DERR_INVALIDCALL;
    *mode = mode_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override {
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    *parameters = creation_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    if (recording_ != nullptr) (*recording_)[state] = value;
    states_[state] = value;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
    if (value == nullptr) return D3DERR_INVALIDCALL;
    *value = states_.count(state) ? states_[state] : 0;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override {
    if (recording_ != nullptr) return D3DERR_INVALIDCALL;
    blocks_.emplace_back();
    recording_ = &blocks_.back();
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) override {
    if (recording_ == nullptr || token == nullptr) return D3DERR_INVALIDCALL;
    recording_ = nullptr;
    *token = static_cast<DWORD>(blocks_.size());  // tokens start at 1
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) override {
    if (token == 0 || token > blocks_.size() || deleted_.count(token)) return D3DERR_INVALIDCALL;
    for (const auto& state : blocks_[token - 1]) states_[state.first] = state.second;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) override {
    if (token == 0 || token > blocks_.size() || deleted_.count(token)) return D3DERR_INVALIDCALL;
    deleted_[token] = true;
    return D3D_OK;
  }

 private:
  IDirect3D8* direct3D_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DDISPLAYMODE mode_;
  std::map<D3DRENDERSTATETYPE, DWORD> states_;
  std::vector<std::map<D3DRENDERSTATETYPE, DWORD>> blocks_;
  std::map<DWORD, bool> deleted_;
  std::map<D3DRENDERSTATETYPE, DWORD>* recording_ = nullptr;
};

HRESULT CreateModelDevice(IDirect3D8* direct3D, UINT adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) {
  const DWORD processing =
      behavior & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                  D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_HARDWARE_VERTEXPROCESSING && processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  if (window == nullptr && parameters->hDeviceWindow == nullptr) return D3DERR_INVALIDCALL;
  D3DDISPLAYMODE mode;
  if (HRESULT hr = direct3D->GetAdapterDisplayMode(adapter, &mode)) return hr;
  if (!parameters->Windowed) {
    mode = {parameters->BackBufferWidth, parameters->BackBufferHeight, parameters->FullScreen_RefreshRateInHz,
            parameters->BackBufferFormat};
  }
  if (HRESULT hr =
          direct3D->CheckDeviceType(adapter, type, mode.Format,
                                    parameters->BackBufferFormat == D3DFMT_UNKNOWN && parameters->Windowed
                                        ? mode.Format
                                        : parameters->BackBufferFormat,
                                    parameters->Windowed)) {
    return hr;
  }
  const D3DDEVICE_CREATION_PARAMETERS creation = {adapter, type, window, behavior};
  *device = new CModelDevice(direct3D, creation, mode);
  return D3D_OK;
}

}  // namespace

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  std::shared_ptr<platform::d3d8::CRuntimeModel> model =
      platform_posix::MakeHostModel(platform_posix::CHostFiles(), platform_posix::HostHardwareSources());
  model->createDevice = &CreateModelDevice;
  return platform::d3d8::CreateDirect3D8(model);
}
