// Entry point of the support tool. Until the run itself exists it shows the
// "DeviceInfo" section that the report will carry for this machine.
#include <iostream>

#include "platform/D3D8.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  const vexaSDK::DX8::CDGEnumMode enumeration(direct3D);
  std::cout << "DeviceInfo\n";
  enumeration.WriteDeviceInfo(std::cout);
  if (direct3D != nullptr) direct3D->Release();
  return 0;
}
