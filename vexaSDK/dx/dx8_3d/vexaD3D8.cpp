// Bringing Direct3D up and down, the owner's render-state and fog helpers, its
// texture-format choice and the x87 setting that goes with the device.
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"

#include <cstring>
#include <limits>
#include <ostream>

#include "platform/Fpu.h"
#include "platform/TextFile.h"
#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/Common/vexaMessageBox.h"
#include "vexaSDK/Graphics/vexaGraphicsManagers.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/dx/dx8_3d/vexaFVF.h"
#include "vexaSDK/dx/dx8_3d/vexaInterfacePtr.h"

namespace vexaSDK {
namespace DX8 {
namespace {

// All exceptions masked, round to nearest; 24-bit precision, or 53-bit where
// the device was asked to leave the unit alone.
const WORD kSinglePrecisionSetting = 0x003F;
const WORD kDoublePrecisionSetting = 0x023F;
// Masks, precision, rounding and infinity control come from the setting; the
// reserved bits stay as the unit has them.
const WORD kSettingBits = 0x1F3F;
const WORD kKeptBits = 0xE0C0;

const float kFogStart = 10000.0f;
const float kFogEnd = 11000.0f;

struct TextureFormatChoice {
  const D3DFORMAT* candidates;
  std::size_t count;
};

const D3DFORMAT kWideColor[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,
                                D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4,
                                D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8R3G3B2};
const D3DFORMAT kWideAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5};
const D3DFORMAT kWideOneBitAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2};
const D3DFORMAT kNarrowColor[] = {D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                  D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8,
                                  D3DFMT_A8R8G8B8, D3DFMT_R3G3B2,   D3DFMT_A8R3G3B2};
const D3DFORMAT kNarrowAlpha[] = {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5};
const D3DFORMAT kNarrowOneBitAlpha[] = {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2};
const D3DFORMAT kFourBitAlpha[] = {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2,
                                   D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};

template <std::size_t N>
TextureFormatChoice Choice(const D3DFORMAT (&candidates)[N]) {
  return {candidates, N};
}

const TextureFormatChoice kWideChoices[CD3D8::kPreferredTextureFormatCount] = {
    Choice(kWideColor), Choice(kWideAlpha), Choice(kWideOneBitAlpha), Choice(kFourBitAlpha)};
const TextureFormatChoice kNarrowChoices[CD3D8::kPreferredTextureFormatCount] = {
    Choice(kNarrowColor), Choice(kNarrowAlpha), Choice(kNarrowOneBitAlpha), Choice(kFourBitAlpha)};

D3DFORMAT FirstSupported(const TextureFormatChoice& choice, const std::vector<D3DFORMAT>* supported) {
  if (supported == nullptr) return D3DFMT_UNKNOWN;
  for (std::size_t i = 0; i < choice.count; ++i) {
    for (const D3DFORMAT format : *supported) {
      if (format == choice.candidates[i]) return format;
    }
  }
  return D3DFMT_UNKNOWN;
}

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Gives the message-box entry its default back, if it holds the owner's hook.
void UnhookMessageBox() {
  Common::MessageBoxEntry* entry = Common::MessageBoxEntry::GetInstance();
  if (entry != nullptr && entry->function == &CD3D8::MessageBoxHook)
    entry->function = &platform::MessageBox932;
}

}  // namespace

CD3D8::CD3D8()
    : fpuControl_(kSinglePrecisionSetting),
      DefaultStateBlock(kNoStateBlock),
      PreferredTextureFormat(),
      fogEnabled_(false),
      fogColor_(0),
      fogStart_(0.0f),
      fogEnd_(0.0f),
      caps_() {
  // The log must outlive this object, which logs when it is destroyed up.
  Common::RegisterLogClose();
}

CD3D8::~CD3D8() {
  if (!IsInitialized()) return;
  try {
    Common::GetLogStream() << "CD3D8::Terminate is not called" << std::endl;
  } catch (...) {
    // Nothing may leave a destructor; the members are released all the same.
  }
  // The entry outlives this object; a box shown later must not reach it.
  UnhookMessageBox();
}

CD3D8& CD3D8::GetInstance() {
  static CD3D8 instance;
  return instance;
}

TTL::smart_ptr<Common::IInitializer> CD3D8::CreateD3D8Initializer(
    const TTL::smart_ptr<ID3DDeviceBuilder>& builder, const std::string& fileName, DWORD sdkVersion) {
  CD3D8* owner = &GetInstance();
  const Common::CInitializer::bool_callback start(
      new TTL::member_function_callback3<CD3D8, TTL::smart_ptr<ID3DDeviceBuilder>>(
          &CD3D8::Initialize, owner, builder, fileName, sdkVersion));
  const Common::CInitializer::void_callback end(
      new TTL::member_function_callback<void, CD3D8>(&CD3D8::Terminate, owner));
  const Common::CInitializer::bool_callback check(
      new TTL::member_function_callback<bool, CD3D8>(&CD3D8::IsUp, owner));
  return TTL::smart_ptr<Common::IInitializer>(new Common::CInitializer(false, start, end, check));
}

bool CD3D8::Initialize(TTL::smart_ptr<ID3DDeviceBuilder>& builder, std::string& fileName, DWORD sdkVersion) {
  const bool completed = VEXA_GUARDED_REGION([&] {
    builder_ = builder;

    // An earlier start stays held until its replacement exists, so that the
    // Terminate after a failure still finds it up and releases all of it.
    IDirect3D8* direct3D = Direct3DCreate8(sdkVersion);
    if (direct3D == nullptr) VEXA_THROW(Common::CException, "Failed ::Direct3DCreate8");
    HoldInterface(direct3D_, direct3D);

    enumMode_.reset(new CDGEnumMode(direct3D_.get()));
    if (!fileName.empty()) {
      platform::CTextFileStream report(fileName.c_str(), std::ios::out | std::ios::trunc);
      enumMode_->WriteDeviceInfo(report);
      report.close();
    }

    // What the managers and the default block hold belongs to the device
    // about to be replaced, so it goes on that device, never on the new one.
    StopDeviceState();
    IDirect3DDevice8* device = nullptr;
    const DWORD code = builder_->CreateDevice(&device);
    if (!builder_->Succeeded(code)) VEXA_THROW(Common::CException, "Failed ID3DDeviceBuilder::CreateDevice");
    HoldInterface(device_, device);

    const HRESULT hr = device_->GetDeviceCaps(&caps_);
    if (FAILED(hr)) {
      VEXA_THROW(Common::CException, System::FormatText("Failed GetDeviceCaps %s", DXGetErrorString8(hr)));
    }
    builder_->OnDeviceCreated();

    if (SUCCEEDED(device_->BeginStateBlock())) {
      ResetRenderStates(true);
      // A failed end leaves no block behind, whatever it left in the token.
      DWORD token = kNoStateBlock;
      if (SUCCEEDED(device_->EndStateBlock(&token))) DefaultStateBlock = token;
    }
    ChoosePreferredTextureFormats();
    for (const Graphics::DeviceHook start : Graphics::kStartHooks) start(*this);

    fogEnabled_ = false;
    fogColor_ = 0xFFFFFFFF;
    fogStart_ = kFogStart;
    fogEnd_ = kFogEnd;

    D3DDEVICE_CREATION_PARAMETERS creation;
    if (SUCCEEDED(device_->GetCreationParameters(&creation)) &&
        (creation.BehaviorFlags & D3DCREATE_FPU_PRESERVE) != 0) {
      SetFpuControlSetting(kDoublePrecisionSetting);
    }
    ApplyFpuControlSetting();

    // Without an entry no box can be shown, so there is nothing to hook.
    if (Common::MessageBoxEntry* entry = Common::MessageBoxEntry::GetInstance())
      entry->function = &MessageBoxHook;
  });
  if (completed) return true;
  Terminate();
  return false;
}

void CD3D8::Terminate() {
  VEXA_GUARDED_REGION([&] {
    if (!IsInitialized()) {
      Common::GetLogStream() << "CD3D8::Terminate already Terminated" << std::endl;
      return;
    }
    // A failure here keeps Direct3D held, so a later Terminate tries again.
    VEXA_GUARDED_REGION([&] {
      StopDeviceState();
      enumMode_.release();
      device_.release();
      direct3D_.release();
    });
    builder_.release();
    SetFpuControlSetting(kSinglePrecisionSetting);
    for (D3DFORMAT& format : PreferredTextureFormat) format = D3DFMT_UNKNOWN;
    std::memset(&caps_, 0, sizeof caps_);
    UnhookMessageBox();
  });
}

void CD3D8::StopDeviceState() {
  if (device_.get() == nullptr) return;
  device_->SetStreamSource(0, nullptr, 0);
  device_->SetIndices(nullptr, 0);
  for (const Graphics::DeviceHook stop : Graphics::kStopHooks) stop(*this);
  if (DefaultStateBlock != kNoStateBlock) {
    device_->DeleteStateBlock(DefaultStateBlock);
    DefaultStateBlock = kNoStateBlock;
  }
}

bool CD3D8::IsWindowed() const {
  const CDeviceBuilder* parameters = Parameters();
  return parameters != nullptr && parameters->PresentParameters.Windowed != FALSE;
}

const CDeviceBuilder* CD3D8::Parameters() const {
  return dynamic_cast<const CDeviceBuilder*>(builder_.get());
}

IDirect3DVertexBuffer8* CD3D8::CreateVertexBuffer(UINT count, DWORD fvf, D3DPOOL pool, DWORD usage) {
  if (pool == kBuilderPool) pool = builder_->GetVertexBufferPool();
  const UINT vertexSize = GetFVFVertexSize(fvf);
  if (vertexSize != 0 && count > std::numeric_limits<UINT>::max() / vertexSize) return nullptr;
  IDirect3DVertexBuffer8* buffer = nullptr;
  // A refusing device may leave anything in the pointer.
  if (FAILED(device_->CreateVertexBuffer(vertexSize * count, builder_->GetVertexBufferUsage() | usage, fvf,
                                         pool, &buffer))) {
    return nullptr;
  }
  return buffer;
}

HRESULT CD3D8::ResetRenderStates(bool force) {
  if (!force && DefaultStateBlock != kNoStateBlock) return device_->ApplyStateBlock(DefaultStateBlock);
  return builder_->SetDefaultRenderStates();
}

bool CD3D8::ApplyFog(bool enable) {
  device_->SetRenderState(D3DRS_FOGCOLOR, fogColor_);
  device_->SetRenderState(D3DRS_FOGENABLE, enable && fogEnabled_ ? TRUE : FALSE);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
  device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  device_->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
  device_->SetRenderState(D3DRS_FOGSTART, FloatBits(fogStart_));
  device_->SetRenderState(D3DRS_FOGEND, FloatBits(fogEnd_));
  return true;
}

void CD3D8::ChoosePreferredTextureFormats() {
  D3DDISPLAYMODE mode;
  if (FAILED(device_->GetDisplayMode(&mode))) return;
  const TextureFormatChoice* choices;
  switch (mode.Format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      choices = kWideChoices;
      break;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      choices = kNarrowChoices;
      break;
    default:
      return;
  }
  const CDeviceBuilder* parameters = Parameters();
  const std::vector<D3DFORMAT>* supported = nullptr;
  if (parameters != nullptr && parameters->ModeInfoIndex < enumMode_->ModeInfos().size()) {
    supported = enumMode_->GetModeInfo(parameters->ModeInfoIndex).GetTextureFormats(mode.Format, false);
  }
  for (int i = 0; i < kPreferredTextureFormatCount; ++i) {
    PreferredTextureFormat[i] = FirstSupported(choices[i], supported);
  }
}

int WINAPI CD3D8::MessageBoxHook(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  const CD3D8& instance = GetInstance();
  if (instance.IsInitialized() && !instance.IsWindowed()) style |= MB_TOPMOST;
  return platform::MessageBox932(owner, text, caption, style);
}

void CD3D8::SetFpuControlSetting(WORD setting) { fpuControl_ = setting & kSettingBits; }

void CD3D8::ApplyFpuControlSetting() const {
  platform::ResetFpu(static_cast<WORD>((platform::GetFpuControlWord() & kKeptBits) | fpuControl_));
}

}  // namespace DX8
}  // namespace vexaSDK
