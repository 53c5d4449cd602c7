// Direct3DCreate8 on the host: the runtime model of this machine's display
// controllers, with its reference device.
#include <gtest/gtest.h>

#include "platform/D3D8.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

using TempFolderTest = testkit::CTempFolderTest;

class PosixDirect3DTest : public TempFolderTest {};

TEST_F(PosixDirect3DTest, DefaultRuntimeServesAReferenceDevice) {
  EXPECT_EQ(nullptr, Direct3DCreate8(D3D_SDK_VERSION + 1));
  IDirect3D8* d3d = nullptr;
  {
    // An empty sysfs: no display controller, whatever this machine has.
    const testkit::CScopedVariable sysfs("SYSFS_PATH", host_.c_str());
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
  }
  ASSERT_NE(nullptr, d3d);
  ASSERT_EQ(1u, d3d->GetAdapterCount());
  D3DCAPS8 caps;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps)) << "no hardware here";
  EXPECT_EQ(D3DERR_INVALIDCALL, d3d->GetDeviceCaps(1, D3DDEVTYPE_REF, &caps));

  D3DPRESENT_PARAMETERS parameters = {};
  parameters.Windowed = TRUE;
  parameters.SwapEffect = D3DSWAPEFFECT_COPY;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  const HWND window = GetDesktopWindow();
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                              &device));
  EXPECT_EQ(nullptr, device);
  EXPECT_EQ(D3DERR_INVALIDCALL, d3d->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &parameters, &device));
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &parameters, &device));
  EXPECT_EQ(1u, d3d->Release()) << "the device holds its own reference";

  EXPECT_EQ(D3D_OK, device->GetDeviceCaps(&caps));
  EXPECT_EQ(D3DDEVTYPE_REF, caps.DeviceType);
  D3DDISPLAYMODE mode;
  EXPECT_EQ(D3D_OK, device->GetDisplayMode(&mode));
  EXPECT_EQ(1024u, mode.Width);
  DWORD token = 0, value = 0;
  EXPECT_EQ(D3D_OK, device->BeginStateBlock());
  EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
  EXPECT_EQ(D3D_OK, device->EndStateBlock(&token));
  EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE));
  EXPECT_EQ(D3D_OK, device->ApplyStateBlock(token));
  EXPECT_EQ(D3D_OK, device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value));
  EXPECT_EQ(static_cast<DWORD>(TRUE), value);
  EXPECT_EQ(D3D_OK, device->DeleteStateBlock(token));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->ApplyStateBlock(token));
  EXPECT_EQ(0u, device->Release());
}

}  // namespace
}  // namespace platform::posix
