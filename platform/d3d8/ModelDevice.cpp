// The devices of a runtime model and their vertex buffers. A device keeps
// what the framework sets on it (render states, recorded state blocks, stream
// sources, the index base) and renders nothing. Each method counts itself,
// asks the model's failure hook, checks its arguments as the runtime does, and
// leaves garbage in the out-parameters of a failing call.
#include "internal/ModelDevice.h"

#include <map>
#include <memory>
#include <new>
#include <set>
#include <vector>

#include "platform/D3D8Model.h"
#include "platform/internal/ComObject.h"

namespace platform {
namespace d3d8 {
namespace {

void Count(CRuntimeModel& model, Object object, long change) {
  model.live[static_cast<std::size_t>(object)] += change;
}

const UINT kMaxStreams = 16;
const DWORD kVertexBufferUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP |
                                 D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;

class CModelVertexBuffer;

class CModelDevice final : public internal::CComObject<IDirect3DDevice8> {
 public:
  CModelDevice(const std::shared_ptr<CRuntimeModel>& model, IDirect3D8* direct3D,
               const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DDISPLAYMODE& mode,
               const D3DCAPS8& caps)
      : model_(model), direct3D_(direct3D), creation_(creation), mode_(mode), caps_(caps) {
    direct3D_->AddRef();
    Count(*model_, Object::kDevice, 1);
  }
  // A bound buffer holds its device, so no stream refers to a buffer here.
  ~CModelDevice() override {
    Count(*model_, Object::kStateBlock, -static_cast<long>(blocks_.size()));
    Count(*model_, Object::kDevice, -1);
    direct3D_->Release();
  }

  // A buffer of this device going away is unbound from every stream.
  void Forget(IDirect3DVertexBuffer8* buffer) {
    buffers_.erase(buffer);
    for (Stream& stream : streams_) {
      if (stream.buffer == buffer) stream.buffer = nullptr;
    }
  }
  CRuntimeModel& Model() const { return *model_; }

  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return D3D_OK; }
  UINT STDMETHODCALLTYPE GetAvailableTextureMem() override { return 0; }
  HRESULT STDMETHODCALLTYPE ResourceManagerDiscardBytes(DWORD) override { return D3D_OK; }

  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** direct3D) override {
    if (direct3D == nullptr) return D3DERR_INVALIDCALL;
    direct3D_->AddRef();
    *direct3D = direct3D_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override {
    HRESULT hr = Begin(Call::kDeviceGetDeviceCaps, 0);
    if (SUCCEEDED(hr) && caps == nullptr) hr = D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr)) *caps = caps_;
    return Finish(hr, caps);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override {
    HRESULT hr = Begin(Call::kGetDisplayMode, 0);
    if (SUCCEEDED(hr) && mode == nullptr) hr = D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr)) *mode = mode_;
    return Finish(hr, mode);
  }
  HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override {
    HRESULT hr = Begin(Call::kGetCreationParameters, 0);
    if (SUCCEEDED(hr) && parameters == nullptr) hr = D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr)) *parameters = creation_;
    return Finish(hr, parameters);
  }

  HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override {
    return D3DERR_INVALIDCALL;
  }
  void STDMETHODCALLTYPE SetCursorPosition(UINT, UINT, DWORD) override {}
  BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override {
    const BOOL previous = cursorShown_;
    cursorShown_ = show ? TRUE : FALSE;
    return previous;
  }
  HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*,
                                                      IDirect3DSwapChain8** swapChain) override {
    return Finish(D3DERR_INVALIDCALL, swapChain);
  }
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8** backBuffer) override {
    return Finish(D3DERR_INVALIDCALL, backBuffer);
  }
  HRESULT STDMETHODCALLTYPE GetRasterStatus(D3DRASTER_STATUS*) override { return D3DERR_INVALIDCALL; }
  void STDMETHODCALLTYPE SetGammaRamp(DWORD, const D3DGAMMARAMP*) override {}
  void STDMETHODCALLTYPE GetGammaRamp(D3DGAMMARAMP*) override {}
  HRESULT STDMETHODCALLTYPE CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                          IDirect3DTexture8** texture) override {
    return Finish(D3DERR_INVALIDCALL, texture);
  }
  HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                                IDirect3DVolumeTexture8** texture) override {
    return Finish(D3DERR_INVALIDCALL, texture);
  }
  HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                              IDirect3DCubeTexture8** texture) override {
    return Finish(D3DERR_INVALIDCALL, texture);
  }
  HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                               IDirect3DVertexBuffer8** buffer) override;
  HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL,
                                              IDirect3DIndexBuffer8** buffer) override {
    return Finish(D3DERR_INVALIDCALL, buffer);
  }
  HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL,
                                               IDirect3DSurface8** surface) override {
    return Finish(D3DERR_INVALIDCALL, surface);
  }
  HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                                      IDirect3DSurface8** surface) override {
    return Finish(D3DERR_INVALIDCALL, surface);
  }
  HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8** surface) override {
    return Finish(D3DERR_INVALIDCALL, surface);
  }
  HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*,
                                      const POINT*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8*, IDirect3DBaseTexture8*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8*, IDirect3DSurface8*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** surface) override {
    return Finish(D3DERR_INVALIDCALL, surface);
  }
  HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** surface) override {
    return Finish(D3DERR_INVALIDCALL, surface);
  }
  HRESULT STDMETHODCALLTYPE BeginScene() override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE EndScene() override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetLight(DWORD, const D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetLight(DWORD, D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD, BOOL) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD, BOOL* enable) override {
    return Finish(D3DERR_INVALIDCALL, enable);
  }
  HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD, const float*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD, float*) override { return D3DERR_INVALIDCALL; }

  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    if (HRESULT hr = Begin(Call::kSetRenderState, static_cast<UINT>(state))) return hr;
    if (!IsRenderState(state)) return D3DERR_INVALIDCALL;
    // While a block is recorded, states go into the block, not the device.
    (recording_ ? *recording_ : states_)[state] = value;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
    if (value == nullptr || !IsRenderState(state)) return Finish(D3DERR_INVALIDCALL, value);
    const auto found = states_.find(state);
    *value = found != states_.end() ? found->second : 0;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override {
    if (HRESULT hr = Begin(Call::kBeginStateBlock, 0)) return hr;
    if (recording_) return D3DERR_INVALIDCALL;
    recording_.reset(new (std::nothrow) StateBlock());
    return recording_ ? D3D_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) override {
    HRESULT hr = Begin(Call::kEndStateBlock, 0);
    if (SUCCEEDED(hr) && (!recording_ || token == nullptr)) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return Finish(hr, token);
    *token = nextToken_++;
    blocks_[*token] = std::move(*recording_);
    recording_.reset();
    Count(*model_, Object::kStateBlock, 1);
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) override {
    if (HRESULT hr = Begin(Call::kApplyStateBlock, token)) return hr;
    const auto found = blocks_.find(token);
    if (found == blocks_.end() || recording_) return D3DERR_INVALIDCALL;
    for (const auto& state : found->second) states_[state.first] = state.second;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) override {
    const auto found = blocks_.find(token);
    if (found == blocks_.end() || recording_) return D3DERR_INVALIDCALL;
    for (auto& state : found->second) {
      const auto current = states_.find(state.first);
      state.second = current != states_.end() ? current->second : 0;
    }
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) override {
    if (HRESULT hr = Begin(Call::kDeleteStateBlock, token)) return hr;
    if (blocks_.erase(token) == 0) return D3DERR_INVALIDCALL;
    Count(*model_, Object::kStateBlock, -1);
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD* token) override {
    return Finish(D3DERR_INVALIDCALL, token);
  }
  HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetTexture(DWORD, IDirect3DBaseTexture8** texture) override {
    return Finish(D3DERR_INVALIDCALL, texture);
  }
  HRESULT STDMETHODCALLTYPE SetTexture(DWORD, IDirect3DBaseTexture8*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD* value) override {
    return Finish(D3DERR_INVALIDCALL, value);
  }
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* passes) override {
    return Finish(D3DERR_INVALIDCALL, passes);
  }
  HRESULT STDMETHODCALLTYPE GetInfo(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT, const PALETTEENTRY*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT, PALETTEENTRY*) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* palette) override {
    return Finish(D3DERR_INVALIDCALL, palette);
  }
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                                   const void*, UINT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD*, const DWORD*, DWORD* handle, DWORD) override {
    return Finish(D3DERR_INVALIDCALL, handle);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override {
    return Finish(D3DERR_INVALIDCALL, handle);
  }
  HRESULT STDMETHODCALLTYPE DeleteVertexShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstant(DWORD, const void*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstant(DWORD, void*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderDeclaration(DWORD, void*, DWORD*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderFunction(DWORD, void*, DWORD*) override {
    return D3DERR_INVALIDCALL;
  }

  // Binding leaves the buffer's own count alone, as the runtime does.
  HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer,
                                            UINT stride) override {
    if (HRESULT hr = Begin(Call::kSetStreamSource, stream)) return hr;
    if (stream >= kMaxStreams || (buffer != nullptr && buffers_.count(buffer) == 0))
      return D3DERR_INVALIDCALL;
    streams_[stream].buffer = buffer;
    if (buffer != nullptr) streams_[stream].stride = stride;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer,
                                            UINT* stride) override {
    if (stream >= kMaxStreams || buffer == nullptr || stride == nullptr) {
      Scribble(stride);
      return Finish(D3DERR_INVALIDCALL, buffer);
    }
    *buffer = streams_[stream].buffer;
    if (*buffer != nullptr) (*buffer)->AddRef();
    *stride = streams_[stream].stride;
    return D3D_OK;
  }
  // The model makes no index buffers, so only unbinding is possible.
  HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override {
    if (HRESULT hr = Begin(Call::kSetIndices, 0)) return hr;
    if (buffer != nullptr) return D3DERR_INVALIDCALL;
    baseVertexIndex_ = baseVertexIndex;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override {
    if (buffer == nullptr || baseVertexIndex == nullptr) {
      Scribble(baseVertexIndex);
      return Finish(D3DERR_INVALIDCALL, buffer);
    }
    *buffer = nullptr;
    *baseVertexIndex = baseVertexIndex_;
    return D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD*, DWORD* handle) override {
    return Finish(D3DERR_INVALIDCALL, handle);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE GetPixelShader(DWORD* handle) override {
    return Finish(D3DERR_INVALIDCALL, handle);
  }
  HRESULT STDMETHODCALLTYPE DeletePixelShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstant(DWORD, const void*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstant(DWORD, void*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderFunction(DWORD, void*, DWORD*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE DeletePatch(UINT) override { return D3DERR_INVALIDCALL; }

 private:
  typedef std::map<D3DRENDERSTATETYPE, DWORD> StateBlock;
  struct Stream {
    IDirect3DVertexBuffer8* buffer = nullptr;
    UINT stride = 0;
  };

  HRESULT Begin(Call call, UINT index) {
    ++model_->counts[static_cast<std::size_t>(call)];
    if (model_->fail) {
      const HRESULT hr = model_->fail(call, creation_.AdapterOrdinal, index);
      if (FAILED(hr)) return hr;
    }
    return D3D_OK;
  }

  static bool IsRenderState(D3DRENDERSTATETYPE state) {
    return state >= D3DRS_ZENABLE && state <= D3DRS_NORMALORDER;
  }

  std::shared_ptr<CRuntimeModel> model_;
  IDirect3D8* direct3D_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DDISPLAYMODE mode_;
  D3DCAPS8 caps_;
  StateBlock states_;
  std::map<DWORD, StateBlock> blocks_;
  std::unique_ptr<StateBlock> recording_;
  DWORD nextToken_ = 1;
  std::set<IDirect3DVertexBuffer8*> buffers_;
  Stream streams_[kMaxStreams];
  UINT baseVertexIndex_ = 0;
  BOOL cursorShown_ = FALSE;

  friend class CModelVertexBuffer;
};

// Holds its device for as long as it lives, as the runtime's buffers do.
class CModelVertexBuffer final : public internal::CComObject<IDirect3DVertexBuffer8> {
 public:
  CModelVertexBuffer(CModelDevice* device, const D3DVERTEXBUFFER_DESC& desc, std::vector<BYTE>&& bytes)
      : device_(device), desc_(desc), bytes_(std::move(bytes)) {
    device_->AddRef();
    device_->buffers_.insert(this);
    Count(device_->Model(), Object::kVertexBuffer, 1);
  }
  ~CModelVertexBuffer() override {
    Count(device_->Model(), Object::kVertexBuffer, -1);
    device_->Forget(this);
    device_->Release();
  }

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override {
    if (device == nullptr) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_NOTFOUND; }
  HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return D3DERR_NOTFOUND; }
  DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override {
    const DWORD previous = priority_;
    if (desc_.Pool == D3DPOOL_MANAGED) priority_ = priority;
    return previous;
  }
  DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
  void STDMETHODCALLTYPE PreLoad() override {}
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }

  // A size of 0 locks from the offset to the end; locks nest.
  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
    if (data == nullptr || offset > desc_.Size || size > desc_.Size - offset) {
      return Finish(D3DERR_INVALIDCALL, data);
    }
    *data = bytes_.data() + offset;
    ++locks_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE Unlock() override {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    --locks_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
  }

 private:
  CModelDevice* device_;
  D3DVERTEXBUFFER_DESC desc_;
  std::vector<BYTE> bytes_;
  DWORD priority_ = 0;
  UINT locks_ = 0;
};

HRESULT STDMETHODCALLTYPE CModelDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                           IDirect3DVertexBuffer8** buffer) {
  HRESULT hr = Begin(Call::kCreateVertexBuffer, 0);
  if (SUCCEEDED(hr) &&
      (buffer == nullptr || length == 0 || (usage & ~kVertexBufferUsage) != 0 || pool > D3DPOOL_SYSTEMMEM ||
       ((usage & D3DUSAGE_DYNAMIC) != 0 && pool == D3DPOOL_MANAGED))) {
    hr = D3DERR_INVALIDCALL;
  }
  if (FAILED(hr)) return Finish(hr, buffer);
  std::vector<BYTE> bytes;
  try {
    bytes.resize(length);
  } catch (const std::bad_alloc&) {
    return Finish(D3DERR_OUTOFVIDEOMEMORY, buffer);
  }
  const D3DVERTEXBUFFER_DESC desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
  *buffer = new (std::nothrow) CModelVertexBuffer(this, desc, std::move(bytes));
  return *buffer != nullptr ? D3D_OK : Finish(static_cast<HRESULT>(E_OUTOFMEMORY), buffer);
}

}  // namespace

HRESULT CreateModelDevice(IDirect3D8* direct3D, UINT adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) {
  const std::shared_ptr<CRuntimeModel> model = ModelOf(direct3D);
  if (model == nullptr || device == nullptr || parameters == nullptr || adapter >= model->adapters.size()) {
    return D3DERR_INVALIDCALL;
  }
  const AdapterModel& adapterModel = model->adapters[adapter];
  const DeviceTypeModel& typeModel = type == D3DDEVTYPE_HAL ? adapterModel.hal : adapterModel.ref;
  D3DDISPLAYMODE mode;
  if (!DeviceDisplayMode(adapterModel, typeModel, *parameters, mode)) return D3DERR_NOTAVAILABLE;
  if (parameters->BackBufferCount == 0) parameters->BackBufferCount = 1;
  const D3DDEVICE_CREATION_PARAMETERS creation = {adapter, type, window, behavior};
  *device = new (std::nothrow) CModelDevice(model, direct3D, creation, mode, typeModel.caps);
  return *device != nullptr ? D3D_OK : E_OUTOFMEMORY;
}

}  // namespace d3d8
}  // namespace platform
