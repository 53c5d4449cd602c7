// Entry point of the support tool. Until the run itself exists it shows what
// the device report writer makes of an empty capability record.
#include <iostream>

#include "platform/D3D8.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const D3DCAPS8 caps = {};
  vexaSDK::DX8::WriteDeviceCaps(std::cout, caps);
  return 0;
}
