// COM start and the framework's device builder.
#include "vexaSDK/dx/dx8_3d/vexaDeviceBuilder.h"

#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"

namespace vexaSDK {
namespace DX8 {
namespace {

// S_FALSE, COM already started in this apartment, is a success too.
bool WINAPI StartCOM(DWORD flags) { return SUCCEEDED(CoInitializeEx(nullptr, flags)); }

}  // namespace

TTL::smart_ptr<Common::IInitializer> CreateCOMInitializer() {
  const Common::CInitializer::bool_callback start(
      new TTL::free_function_callback1(&StartCOM, COINIT_MULTITHREADED));
  const Common::CInitializer::void_callback end(new TTL::free_function_callback(&CoUninitialize));
  return TTL::smart_ptr<Common::IInitializer>(
      new Common::CInitializer(false, start, end, Common::CInitializer::bool_callback()));
}

CDeviceBuilder::CDeviceBuilder(HWND window) : PresentParameters(), ModeInfoIndex(kNoModeInfo) {
  PresentParameters.BackBufferWidth = 320;
  PresentParameters.BackBufferHeight = 240;
  PresentParameters.BackBufferFormat = D3DFMT_R5G6B5;
  PresentParameters.BackBufferCount = 1;
  PresentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  PresentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  PresentParameters.hDeviceWindow = window;
  PresentParameters.Windowed = TRUE;
  PresentParameters.EnableAutoDepthStencil = FALSE;
  PresentParameters.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  PresentParameters.Flags = 0;
  PresentParameters.FullScreen_RefreshRateInHz = 0;
  PresentParameters.FullScreen_PresentationInterval = 0;
}

DWORD CDeviceBuilder::CreateDevice(IDirect3DDevice8** device) {
  return CreateDeviceWith(D3DCREATE_SOFTWARE_VERTEXPROCESSING, device);
}

DWORD CDeviceBuilder::CreateDeviceWith(DWORD behavior, IDirect3DDevice8** device) {
  if (device == nullptr) return kFailed;
  *device = nullptr;
  ModeInfoIndex = 0;
  // Through the one owner: the interface's CreateDevice takes only the
  // out-pointer, so no IDirect3D8 is handed in.
  IDirect3D8* direct3D = CD3D8::GetInstance().GetDirect3D();
  if (direct3D == nullptr) return kFailed;
  D3DDISPLAYMODE mode;
  if (FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return kFailed;
  // Windowed, the back buffer takes the desktop's format.
  PresentParameters.BackBufferFormat = mode.Format;
  if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, PresentParameters.hDeviceWindow,
                                    behavior, &PresentParameters, device))) {
    // Whatever a failing runtime left there is no device.
    *device = nullptr;
    return kFailed;
  }
  return *device != nullptr ? kCreated : kFailed;
}

}  // namespace DX8
}  // namespace vexaSDK
